// The widget tests run inside one QApplication, with the font names the
// windows ask for mapped as in the program, so text metrics and rendering
// are those the user sees.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>

#include "korvalen/printing/fonts.h"

int main(int argc, char** argv) {
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    QApplication app(argc, argv);
    korvalen::printing::InstallFontSubstitutes();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
