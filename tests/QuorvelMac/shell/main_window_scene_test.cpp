// The main window as the application shows it through its scene: titled by the shown pane from
// the first show, and back at the overview when opened again after a close.
#include "QuorvelMac/model/model_fixture.hpp"
#include "QuorvelMac/shell/quorvel_mac_app.hpp"
#include "QuorvelMac/ui/navigation/sidebar_selection.hpp"
#include "QuorvelMac/ui/user_interface.hpp"
#include "QuorvelMac/ui/window/main_window.hpp"
#include "shell_x11_fixture.hpp"
#include "testkit/qt_wait.hpp"

namespace quorvel {
namespace {

using namespace shelltest;

class MainWindowSceneTest : public modeltest::ModelTest, protected X11Scene {
protected:
    MainWindowSceneTest() : X11Scene(home.dataHome()) {}

    void startApp() {
        QuorvelMacApp::Parts parts;
        parts.observer = makeObserver();
        parts.makeModel = [this] { return makeModel(); };
        parts.scenes.mainWindow = [this](MacAppModel& model,
                                         MacSettingsRelaxationProtectionController& controller) {
            return views.makeMainWindow(model, controller);
        };
        parts.showScenes = false;
        app = std::make_unique<QuorvelMacApp>(std::move(parts));
    }
    ui::MainWindow* window() const { return static_cast<ui::MainWindow*>(app->mainWindow()); }

    ui::UserInterface views{ui::ViewServices{}};
    std::unique_ptr<QuorvelMacApp> app;
};

TEST_F(MainWindowSceneTest, TitledByTheShownPaneAndReopenedAtTheOverview) {
    startApp();
    app->showMainWindow();
    ASSERT_NE(window(), nullptr);
    EXPECT_EQ(window()->windowTitle(), "概要");
    EXPECT_EQ(window()->shownPane(), window()->pane(ui::SidebarItem::overview));

    window()->selection().set(ui::SidebarItem::pairing);
    EXPECT_EQ(window()->windowTitle(), "ペアリング");
    window()->close();
    testkit::drainLoop();
    app->showMainWindow();
    EXPECT_EQ(window()->shownPane(), window()->pane(ui::SidebarItem::overview));
    EXPECT_EQ(window()->windowTitle(), "概要");
}

}  // namespace
}  // namespace quorvel
