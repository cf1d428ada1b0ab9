#include "QuorvelMac/shell/placeholder_scenes.hpp"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace quorvel {

QWidget* makePlaceholderMainWindow(MacAppModel& model,
                                   std::function<std::vector<MacApplicationDescriptor>()> chooseApplications) {
    auto* window = new QWidget;
    auto* layout = new QVBoxLayout(window);
    auto* targets = new QLabel(window);
    targets->setWordWrap(true);
    QPointer<MacAppModel> guarded(&model);
    auto listTargets = [targets, guarded] {
        if (!guarded) return;
        QStringList names;
        for (const auto& target : guarded->targets()) {
            if (target.kind == MacLockTarget::Kind::macApp) names << QString::fromStdString(target.displayName);
        }
        targets->setText(names.isEmpty() ? QStringLiteral("ロックするアプリはまだありません。")
                                         : QStringLiteral("ロック中のアプリ: ") + names.join(QStringLiteral("、")));
    };
    QObject::connect(&model, &MacAppModel::targetsChanged, targets, listTargets);
    listTargets();
    auto* choose = new QPushButton(QStringLiteral("ロックするアプリを選択…"), window);
    QObject::connect(choose, &QPushButton::clicked, window, [guarded, chooseApplications] {
        if (guarded && chooseApplications) guarded->addMacApplicationTargets(chooseApplications());
    });
    auto* quit = new QPushButton(QStringLiteral("Pellorimを終了"), window);
    QObject::connect(quit, &QPushButton::clicked, qApp, &QApplication::quit);
    layout->addWidget(new QLabel(QStringLiteral("Pellorim"), window));
    layout->addWidget(targets);
    layout->addWidget(choose);
    layout->addStretch(1);
    layout->addWidget(quit);
    return window;
}

QMenu* makePlaceholderMenu(std::function<void()> openMainWindow) {
    auto* menu = new QMenu;
    QObject::connect(menu->addAction(QStringLiteral("Pellorimを開く")), &QAction::triggered, menu,
                     [openMainWindow] { openMainWindow(); });
    menu->addSeparator();
    QObject::connect(menu->addAction(QStringLiteral("Pellorimを終了")), &QAction::triggered, qApp, &QApplication::quit);
    return menu;
}

}  // namespace quorvel
