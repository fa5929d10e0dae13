// The shell's tests run inside the program's own application object, so an
// error that escapes a click takes the path it takes in the program: notify,
// the handler the main window installed, and its decision.
#include <gtest/gtest.h>

#include <QLocale>

#include "korvalen/printing/fonts.h"
#include "korvalen/shell/application.h"

int main(int argc, char** argv) {
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    korvalen::shell::KorvalenApplication app(argc, argv);
    app.setApplicationDisplayName(QStringLiteral("カドレア"));
    // Tests close main windows one after the other.
    app.setQuitOnLastWindowClosed(false);
    korvalen::printing::InstallFontSubstitutes();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
