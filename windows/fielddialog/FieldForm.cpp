#include "fielddialog/FieldForm.h"

#include <algorithm>
#include <cmath>

#include <QComboBox>
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
};

bool takes(const FieldChoice& choice, const std::string& key) {
    return std::find(choice.options.begin(), choice.options.end(), key) != choice.options.end();
}

}  // namespace

TFieldForm::TFieldForm(const FrameRow& row, const ProfileSection& section, std::string sampleValue, QWidget* parent)
    : QDialog(parent), row_(row), original_(section), sampleValue_(std::move(sampleValue)) {
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
        fields->addRow(QString::fromUtf8(label), edit);
        connect(edit, &QLineEdit::textChanged, this, &TFieldForm::update);
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
    return fieldSection(original_, fieldKinds()[static_cast<std::size_t>(CB_kind->currentIndex())].key,
                        fieldFormats()[static_cast<std::size_t>(CB_format->currentIndex())].key, typed);
}

void TFieldForm::update() {
    const FieldChoice& kind = fieldKinds()[static_cast<std::size_t>(std::max(CB_kind->currentIndex(), 0))];
    const FieldChoice& format = fieldFormats()[static_cast<std::size_t>(std::max(CB_format->currentIndex(), 0))];
    for (const auto& [key, edit] : options) edit->setEnabled(takes(kind, key) || takes(format, key));

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
            const BlockSample sample = drawBlockSample(surface, row_, section, sampleValue_);
            if (!sample.faults.empty()) note = QString::fromStdString(sample.faults.front());
            else if (!sample.placement.complete()) note = QStringLiteral("資料放不下");
        }
    }
    Image_sample->setPixmap(QPixmap::fromImage(image));
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

std::optional<ProfileSection> askFieldSection(QWidget* parent, const FrameRow& row, const ProfileSection& section,
                                              const std::string& sampleValue) {
    TFieldForm form(row, section, sampleValue, parent);
    if (form.exec() != QDialog::Accepted) return std::nullopt;
    return form.section();
}

}  // namespace zarvo
