#include "guidewindow/GuideForm.h"

#include <algorithm>

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QHBoxLayout>
#include <QImage>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextImageFormat>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "guide/GuideLocation.h"
#include "guide/GuidePages.h"
#include "painting/ObjectName.h"
#include "widgets/ScreenCentre.h"

namespace zarvo {

namespace {

QPointer<GuideForm> openGuide;

QString nativePath(const std::filesystem::path& path) { return QFile::decodeName(path.native().c_str()); }

bool isMarkdown(const QUrl& url) { return url.path().endsWith(QStringLiteral(".md"), Qt::CaseInsensitive); }

// Shrinks every picture of browser's page wider than width to that width
// (its height follows), so that a screenshot never needs a sideways scroll.
void fitPictures(QTextBrowser& browser, int width) {
    QTextDocument& document = *browser.document();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto part = block.begin(); !part.atEnd(); ++part) {
            const QTextFragment fragment = part.fragment();
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            if (!format.isValid() || format.hasProperty(QTextFormat::ImageWidth)) continue;
            const QVariant data = browser.loadResource(QTextDocument::ImageResource, QUrl(format.name()));
            const QImage picture =
                data.userType() == QMetaType::QByteArray ? QImage::fromData(data.toByteArray()) : data.value<QImage>();
            if (picture.isNull() || picture.width() <= width) continue;
            format.setWidth(width);
            QTextCursor cursor(&document);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
}

}  // namespace

GuideForm::GuideForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("GuideForm"));
    setWindowTitle(QStringLiteral("Zarvo 使用手冊"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    TB_guide = named(new QTextBrowser, "TB_guide");
    // Links are followed here, so that a page of the guide is always read as
    // Markdown and a web address goes to the browser.
    TB_guide->setOpenLinks(false);
    // Read for minutes at a time: larger than the dialogs' controls.
    QFont text = TB_guide->font();
    text.setPointSize(12);
    TB_guide->setFont(text);
    btn_back = named(new QPushButton(QStringLiteral("上一頁")), "btn_back");
    btn_forward = named(new QPushButton(QStringLiteral("下一頁")), "btn_forward");
    btn_contents = named(new QPushButton(QStringLiteral("目錄")), "btn_contents");
    btn_back->setEnabled(false);
    btn_forward->setEnabled(false);
    for (QPushButton* button : {btn_back, btn_forward, btn_contents}) button->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btn_back);
    buttons->addWidget(btn_forward);
    buttons->addWidget(btn_contents);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(TB_guide);

    connect(TB_guide, &QTextBrowser::anchorClicked, this, &GuideForm::follow);
    connect(TB_guide, &QTextBrowser::sourceChanged, this, [this] {
        // The window's width, not the view's: the view is laid out only once shown.
        fitPictures(*TB_guide, std::max(200, width() - 80));
    });
    connect(TB_guide, &QTextBrowser::backwardAvailable, btn_back, &QWidget::setEnabled);
    connect(TB_guide, &QTextBrowser::forwardAvailable, btn_forward, &QWidget::setEnabled);
    connect(btn_back, &QPushButton::clicked, TB_guide, &QTextBrowser::backward);
    connect(btn_forward, &QPushButton::clicked, TB_guide, &QTextBrowser::forward);
    connect(btn_contents, &QPushButton::clicked, this, [this] {
        if (folder_) follow(QUrl::fromLocalFile(nativePath(*folder_ / kGuideContents)));
    });

    resize(760, 620);
    move(centredOnScreen(size()));
}

void GuideForm::showPage(const std::optional<std::filesystem::path>& folder,
                         std::span<const std::filesystem::path> tried, const std::string& page) {
    folder_ = folder;
    btn_contents->setEnabled(folder.has_value());
    if (!folder) {
        TB_guide->setPlainText(QString::fromStdString(guideMissingMessage(tried)));
        return;
    }
    follow(QUrl::fromLocalFile(nativePath(*folder / page)));
}

void GuideForm::follow(const QUrl& link) {
    const QUrl target = TB_guide->source().resolved(link);
    if (!target.isLocalFile()) {
        QDesktopServices::openUrl(target);
        return;
    }
    QUrl page = target;
    page.setFragment({});
    if (page == TB_guide->source() && target.hasFragment()) {
        TB_guide->scrollToAnchor(target.fragment());
        return;
    }
    const QString path = page.toLocalFile();
    if (!QFile::exists(path)) {
        TB_guide->setPlainText(QStringLiteral("找不到使用手冊的這一頁: ") + path);
        return;
    }
    if (!isMarkdown(page)) {
        // A picture or another file linked from a page opens in its own program.
        QDesktopServices::openUrl(page);
        return;
    }
    TB_guide->setSource(target, QTextDocument::MarkdownResource);
}

GuideForm* guideForm() { return openGuide; }

void showGuide(const std::string& page) {
    const std::vector<std::filesystem::path> folders = guideFoldersOfThisProgram();
    if (!openGuide) {
        openGuide = new GuideForm;
        // The guide left open never keeps the program running.
        openGuide->setAttribute(Qt::WA_QuitOnClose, false);
    }
    QWidget* modal = QApplication::activeModalWidget();
    const Qt::WindowModality wanted = modal && modal != openGuide ? Qt::ApplicationModal : Qt::NonModal;
    if (openGuide->windowModality() != wanted) {
        openGuide->hide();
        openGuide->setWindowModality(wanted);
    }
    openGuide->showPage(findGuide(folders), folders, page);
    openGuide->show();
    openGuide->raise();
    openGuide->activateWindow();
}

void closeGuide() { delete openGuide.data(); }

void addGuideKey(QWidget& window) {
    auto* key = new QShortcut(QKeySequence(Qt::Key_F1), &window);
    QObject::connect(key, &QShortcut::activated, &window, [&window] {
        const std::string name = window.objectName().toStdString();
        const std::string_view names[] = {name};
        showGuide(guidePageFor(names));
    });
}

}  // namespace zarvo
