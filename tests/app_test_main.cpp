// The entry point of the window tests: Google Test with a QApplication, on the offscreen
// platform unless the environment names another.
#include "app/web_engine_setup.h"

#include <QApplication>
#include <utility>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // The embedded browser gets no GPU on the offscreen platform.
    for (const auto& [name, value] : {std::pair{"QT_QPA_PLATFORM", "offscreen"},
                                      std::pair{"QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu"},
                                      std::pair{"QT_LOGGING_RULES",
                                                "qt.webenginecontext.debug=false"}}) {
        if (qEnvironmentVariableIsEmpty(name)) {
            qputenv(name, value);
        }
    }
    zorlith::PrepareWebEngine();
    QApplication app(argc, argv);
    zorlith::ChooseBrowserRendering();
    return RUN_ALL_TESTS();
}
