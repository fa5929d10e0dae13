// The about box "バージョン情報": the product, its version in full-width
// letters, the PCs that use the database folder, and the maker's contact
// lines with the address of its web site.
#pragma once

#include <QDialog>

#include "korvalen/shell/shell_services.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace korvalen::shell {

class TKorvABF final : public QDialog {
    Q_OBJECT
public:
    // Reads the PC list from CSConM; an error there travels on to the
    // application's error handler.
    TKorvABF(const ShellServices& services, QWidget* parent = nullptr);

    void UrlLabelClick();
    void HelpBtnClick();
    void PrintWindow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillPcList();

    ShellServices services_;
    QLabel* Image1 = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* LabelVer = nullptr;
    QTreeWidget* ListView2 = nullptr;
    QLabel* UrlLabel = nullptr;
    QPushButton* HelpBtn = nullptr;
    QPushButton* CloseBtn = nullptr;
};

// The version label's text: "Ver " + `version` in full-width letters, or
// "Ｖｅｒ　１．０" when the program reports no version.
QString VersionLabelText(const std::string& version);

}  // namespace korvalen::shell
