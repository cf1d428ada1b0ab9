#include "QuorvelMac/ui/kit/scheme_follower.hpp"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <QWidget>
#include <map>

#include "QuorvelMac/ui/kit/theme.hpp"

namespace quorvel::ui::theme {

namespace {

// Hears the application's palette change (sent to the application object before any widget
// resolves its new palette) and runs every remembered redraw.
class SchemeFollower final : public QObject {
public:
    explicit SchemeFollower(QObject* application) : QObject(application) {
        application->installEventFilter(this);
    }

    void follow(QObject* owner, const QString& what, std::function<void()> redraw) {
        auto [entry, added] = redraws_.try_emplace(owner);
        if (added) {
            connect(owner, &QObject::destroyed, this, [this, owner] { redraws_.erase(owner); });
        }
        entry->second[what] = std::move(redraw);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == parent() && event->type() == QEvent::ApplicationPaletteChange) {
            redrawAll();
        }
        return false;
    }

private:
    // A redraw may delete other widgets (a rebuilt row) or register anew, so each owner is
    // looked up again just before its redraws run.
    void redrawAll() {
        std::vector<QPointer<QObject>> owners;
        for (const auto& [owner, redraws] : redraws_) {
            owners.emplace_back(owner);
        }
        for (const QPointer<QObject>& owner : owners) {
            const auto found = owner ? redraws_.find(owner.data()) : redraws_.end();
            if (found == redraws_.end()) {
                continue;
            }
            const auto redraws = found->second;
            for (const auto& [what, redraw] : redraws) {
                redraw();
            }
        }
    }

    std::map<QObject*, std::map<QString, std::function<void()>>> redraws_;
};

SchemeFollower* follower() {
    static QPointer<SchemeFollower> instance;
    if (!instance && qApp) {
        instance = new SchemeFollower(qApp);
    }
    return instance;
}

QString rolesKey(const std::vector<InkRole>& roles) {
    QString key = QStringLiteral("inks");
    for (const InkRole& role : roles) {
        key += QStringLiteral(":%1/%2").arg(role.group).arg(role.role);
    }
    return key;
}

}  // namespace

void followScheme(QObject* owner, const QString& what, std::function<void()> redraw) {
    if (SchemeFollower* instance = follower()) {
        instance->follow(owner, what, std::move(redraw));
    }
}

void setInks(QWidget* widget, const std::vector<InkRole>& roles) {
    const auto apply = [widget, roles] {
        QPalette palette = widget->palette();
        for (const InkRole& role : roles) {
            palette.setColor(role.group, role.role, colour(role.ink));
        }
        widget->setPalette(palette);
    };
    apply();
    followScheme(widget, rolesKey(roles), apply);
}

void setForeground(QWidget* widget, Ink ink) {
    setInks(widget, {{QPalette::All, QPalette::WindowText, ink},
                     {QPalette::All, QPalette::Text, ink},
                     {QPalette::All, QPalette::ButtonText, ink}});
}

void setPicture(QLabel* label, std::function<QPixmap()> draw) {
    const auto apply = [label, draw] { label->setPixmap(draw()); };
    apply();
    followScheme(label, QStringLiteral("picture"), apply);
}

void setSymbol(QLabel* label, const QString& name, int side, Ink ink) {
    label->setProperty("systemImage", name);
    setPicture(label, [name, side, ink] { return tintedSymbol(name, side, colour(ink)); });
}

}  // namespace quorvel::ui::theme
