#pragma once

// The two schemes the views are looked at in: the palette the application starts with (light),
// and a dark one after Adwaita-dark, as the desktop's dark scheme hands it to Qt (window #242424,
// cards #323232 to #3a3a3b, white text, selection #2f8ac3). A scheme is set on the application,
// as a desktop's switch would, for the life of a `SchemeScope`.
#include <QApplication>
#include <QPalette>
#include <string>
#include <vector>

namespace quorvel::ui::testing {

inline QPalette darkPalette() {
    QPalette palette;
    const auto set = [&palette](QPalette::ColorRole role, const char* colour) {
        palette.setColor(role, QColor(colour));
    };
    set(QPalette::Window, "#242424");
    set(QPalette::WindowText, "#ffffff");
    set(QPalette::Base, "#323232");
    set(QPalette::AlternateBase, "#3a3a3b");
    set(QPalette::Text, "#ffffff");
    set(QPalette::Button, "#3a3a3b");
    set(QPalette::ButtonText, "#ffffff");
    set(QPalette::BrightText, "#ffffff");
    set(QPalette::Light, "#4a4a4a");
    set(QPalette::Midlight, "#404040");
    set(QPalette::Mid, "#2c2c2c");
    set(QPalette::Dark, "#1c1c1c");
    set(QPalette::Shadow, "#000000");
    set(QPalette::Highlight, "#2f8ac3");
    set(QPalette::HighlightedText, "#ffffff");
    set(QPalette::ToolTipBase, "#3a3a3b");
    set(QPalette::ToolTipText, "#ffffff");
    set(QPalette::PlaceholderText, "#9a9a9a");
    set(QPalette::Link, "#62a0ea");
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, QColor("#8e8e8e"));
    }
    palette.setColor(QPalette::Disabled, QPalette::Button, QColor("#2e2e2e"));
    return palette;
}

struct Scheme {
    std::string name;
    QPalette palette;
};

// The light scheme is the palette the application had before any scheme was set.
inline std::vector<Scheme> schemes() {
    static const QPalette light = QApplication::palette();
    return {{"light", light}, {"dark", darkPalette()}};
}

class SchemeScope {
public:
    explicit SchemeScope(const QPalette& palette) : former_(QApplication::palette()) {
        QApplication::setPalette(palette);
        QApplication::processEvents();
    }
    ~SchemeScope() {
        QApplication::setPalette(former_);
        QApplication::processEvents();
    }
    SchemeScope(const SchemeScope&) = delete;
    SchemeScope& operator=(const SchemeScope&) = delete;

private:
    QPalette former_;
};

}  // namespace quorvel::ui::testing
