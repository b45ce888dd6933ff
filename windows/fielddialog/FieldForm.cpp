#include "fielddialog/FieldForm.h"

#include <algorithm>
#include <cmath>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/BlockSample.h"
#include "engine/BlockStyle.h"
#include "fieldstyle/FieldStyle.h"
#include "guidewindow/GuideForm.h"
#include "platform/Messages.h"
#include "painting/ObjectName.h"
#include "widgets/OkCancelRow.h"
#include "painting/QtSurface.h"
#include "report/Big5.h"
#include "report/Units.h"

namespace zarvo {

namespace {

// The largest sample shown, pixels: a frame larger than this is cut.
constexpr int kMaxSampleSide = 600;

const char* const kOptionLabels[][2] = {
    {"module", "模組寬 (mm)"}, {"height", "條高 (mm)"},    {"ecc", "容錯 (L/M/Q/H)"},   {"text", "條碼下文字 (yes/no)"},
    {"encoding", "編碼 (big5/utf-8)"}, {"quiet", "靜區 (模組)"}, {"cells", "格數"}, {"shrink", "放不下時縮小 (yes/no)"}, {"min", "最小字高 (mm)"}, {"prefix", "前綴"},
    {"decimals", "小數位數"}, {"grouping", "千分位 (yes/no)"}, {"pattern", "日期樣式"},
    {"picture", "固定圖片 (報表資料夾內)"}, {"fit", "縮放 (contain/cover/stretch)"},
    {"align", "對齊 (left/centre/right top/middle/bottom)"}, {"color", "印表機保留顏色 (keep/no)"},
    {"dither", "點陣網點 (yes/no)"},
};

PictureFileChooser& installedPictureChooser() {
    static PictureFileChooser chooser;
    return chooser;
}

std::optional<QString> askPictureFile(QWidget* parent, const QString& folder) {
    if (installedPictureChooser()) return installedPictureChooser()(parent, folder);
    const QString name = QFileDialog::getOpenFileName(parent, QStringLiteral("選擇圖片"), folder,
                                                      QStringLiteral("圖片 (*.png *.jpg *.jpeg *.tif *.tiff *.svg)"));
    if (name.isEmpty()) return std::nullopt;
    return name;
}

bool takes(const FieldChoice& choice, const std::string& key) {
    return std::find(choice.options.begin(), choice.options.end(), key) != choice.options.end();
}

}  // namespace

void setPictureFileChooser(PictureFileChooser chooser) { installedPictureChooser() = std::move(chooser); }

TFieldForm::TFieldForm(const FrameRow& row, const ProfileSection& section, std::string sampleValue, QWidget* parent,
                       std::string reportPath)
    : QDialog(parent), row_(row), original_(section), sampleValue_(std::move(sampleValue)),
      reportPath_(std::move(reportPath)) {
    setObjectName(QStringLiteral("TFieldForm"));
    setWindowTitle(QStringLiteral("欄位屬性"));
    addGuideKey(*this);
    Label_block = named(new QLabel(QStringLiteral("欄位: ") + QString::fromStdString(big5ToUtf8(row.label))), "Label_block");
    CB_kind = named(new QComboBox, "CB_kind");
    for (const FieldChoice& kind : fieldKinds()) CB_kind->addItem(QString::fromStdString(kind.label));
    CB_kind->setCurrentIndex(static_cast<int>(fieldChoiceIndex(fieldKinds(), section, "kind")));
    CB_format = named(new QComboBox, "CB_format");
    for (const FieldChoice& format : fieldFormats()) CB_format->addItem(QString::fromStdString(format.label));
    CB_format->setCurrentIndex(static_cast<int>(fieldChoiceIndex(fieldFormats(), section, "format")));

    auto* fields = new QFormLayout;
    fields->addRow(Label_block);
    fields->addRow(QStringLiteral("種類"), CB_kind);
    fields->addRow(QStringLiteral("格式"), CB_format);
    for (const auto& [key, label] : kOptionLabels) {
        const std::string name = std::string("ED_") + key;
        auto* edit = named(new QLineEdit, name.c_str());
        if (const std::string* value = section.value(key)) edit->setText(QString::fromStdString(*value));
        options[key] = edit;
        connect(edit, &QLineEdit::textChanged, this, &TFieldForm::update);
        if (std::string_view(key) != "picture") {
            fields->addRow(QString::fromUtf8(label), edit);
            continue;
        }
        btn_picture = named(new QPushButton(QStringLiteral("選擇...")), "btn_picture");
        auto* pictureRow = new QHBoxLayout;
        pictureRow->addWidget(edit);
        pictureRow->addWidget(btn_picture);
        fields->addRow(QString::fromUtf8(label), pictureRow);
        connect(btn_picture, &QPushButton::clicked, this, &TFieldForm::choosePicture);
    }
    Image_sample = named(new QLabel, "Image_sample");
    Image_sample->setAlignment(Qt::AlignCenter);
    Image_sample->setMinimumHeight(60);
    Label_sample = named(new QLabel, "Label_sample");
    Label_sample->setWordWrap(true);
    QHBoxLayout* buttons = okCancelRow(*this, btn_ok, btn_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(Image_sample);
    layout->addWidget(Label_sample);
    layout->addLayout(buttons);

    connect(CB_kind, &QComboBox::currentIndexChanged, this, &TFieldForm::update);
    connect(CB_format, &QComboBox::currentIndexChanged, this, &TFieldForm::update);
    connect(btn_ok, &QPushButton::clicked, this, &TFieldForm::confirm);
    update();
}

ProfileSection TFieldForm::edited() const {
    std::map<std::string, std::string> typed;
    for (const auto& [key, edit] : options) typed[key] = edit->text().trimmed().toStdString();
    const std::string& kind = fieldKinds()[static_cast<std::size_t>(std::max(CB_kind->currentIndex(), 0))].key;
    const std::string& format =
        fieldFormats()[static_cast<std::size_t>(std::max(CB_format->currentIndex(), 0))].key;
    return fieldSection(original_, kind, kind == "image" ? std::string() : format, typed);
}

void TFieldForm::update() {
    const FieldChoice& kind = fieldKinds()[static_cast<std::size_t>(std::max(CB_kind->currentIndex(), 0))];
    const FieldChoice& format = fieldFormats()[static_cast<std::size_t>(std::max(CB_format->currentIndex(), 0))];
    for (const auto& [key, edit] : options) edit->setEnabled(takes(kind, key) || takes(format, key));
    // A picture's value is a file name: there is nothing to format.
    CB_format->setEnabled(kind.key != "image");
    btn_picture->setEnabled(options.at("picture")->isEnabled());

    const ProfileSection section = edited();
    const ParsedBlockStyle parsed = parseBlockStyle(section);
    const int width = std::clamp(mmToDevice(row_.width, kPreviewDpi) + 1, 1, kMaxSampleSide);
    const int height = std::clamp(mmToDevice(row_.height, kPreviewDpi) + 1, 1, kMaxSampleSide);
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QString note;
    {
        QPainter painter(&image);
        painter.setPen(QColor(255, 160, 0));
        painter.drawRect(0, 0, width - 1, height - 1);
        QtSurface surface(painter, kPreviewDpi);
        if (parsed.fault) {
            note = QString::fromStdString(parsed.fault->reason);
        } else {
            const BlockSample sample = drawBlockSample(surface, row_, section, sampleValue_, reportPath_);
            if (!sample.faults.empty()) note = QString::fromStdString(sample.faults.front());
            else if (!sample.placement.complete()) note = QStringLiteral("資料放不下");
        }
    }
    Image_sample->setPixmap(QPixmap::fromImage(image));
    // The whole frame is shown: the dialog grows to a taller sample.
    Image_sample->setMinimumHeight(std::max(60, height));
    Label_sample->setText(note.isEmpty() ? QStringLiteral("測試資料: ") + QString::fromStdString(big5ToUtf8(sampleValue_))
                                         : note);
}

void TFieldForm::confirm() {
    const ProfileSection section = edited();
    if (const std::optional<ProfileFault> fault = parseBlockStyle(section).fault) {
        ShowWarning("%s", fault->reason.c_str());
        return;
    }
    kept_ = section;
    accept();
}

void TFieldForm::choosePicture() {
    if (reportPath_.empty()) {
        ShowWarning("請先儲存報表: 固定圖片放在報表的資料夾裡, 以相對路徑記在表單設定檔");
        return;
    }
    const QDir folder = QFileInfo(QFile::decodeName(reportPath_.c_str())).absoluteDir();
    const std::optional<QString> chosen = askPictureFile(this, folder.absolutePath());
    if (!chosen) return;
    // The profile keeps the picture relative to the report, inside its folder.
    const QString canonicalFolder = folder.canonicalPath();
    const QString canonical = QFileInfo(*chosen).canonicalFilePath();
    if (canonical.isEmpty() || canonicalFolder.isEmpty() || !canonical.startsWith(canonicalFolder + '/')) {
        ShowWarning("圖片 %s 不在報表的資料夾 %s 裡, 請先把圖片放進這個資料夾", chosen->toUtf8().constData(),
                    folder.absolutePath().toUtf8().constData());
        return;
    }
    options.at("picture")->setText(QDir(canonicalFolder).relativeFilePath(canonical));
}

std::optional<ProfileSection> askFieldSection(QWidget* parent, const FrameRow& row, const ProfileSection& section,
                                              const std::string& sampleValue, const std::string& reportPath) {
    TFieldForm form(row, section, sampleValue, parent, reportPath);
    if (form.exec() != QDialog::Accepted) return std::nullopt;
    return form.section();
}

}  // namespace zarvo
