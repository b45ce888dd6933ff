#pragma once
// The user's guide in a window of the program (GuideForm): the guide's
// Markdown pages drawn by a QTextBrowser (TB_guide), read offline from the
// folder where the guide is installed, with links between the pages,
// pictures, back and forward, and the table of contents.

#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include <QDialog>

class QPushButton;
class QTextBrowser;
class QUrl;

namespace zarvo {

class GuideForm : public QDialog {
public:
    explicit GuideForm(QWidget* parent = nullptr);

    // Shows page (a file name inside the guide) of the guide in folder; when
    // folder is nullopt, a message naming the folders tried instead.
    void showPage(const std::optional<std::filesystem::path>& folder, std::span<const std::filesystem::path> tried,
                  const std::string& page);

    QTextBrowser* TB_guide;
    QPushButton* btn_back;
    QPushButton* btn_forward;
    QPushButton* btn_contents;

private:
    // A link clicked: another page of the guide (or a place in one) is
    // shown here, a web address in the desktop's browser.
    void follow(const QUrl& link);

    std::optional<std::filesystem::path> folder_;
};

// The guide window when one is open; nullptr otherwise.
GuideForm* guideForm();

// Shows the guide at page in the one guide window, made on first use and
// found beside the running program (guideFolders). Over a modal dialog the
// guide is modal too, so that it can be read and closed; otherwise it stays
// open beside the windows.
void showGuide(const std::string& page);

// Deletes the guide window, if any (the program's end).
void closeGuide();

// F1 in window opens the guide at the page for the window's object name.
void addGuideKey(QWidget& window);

}  // namespace zarvo
