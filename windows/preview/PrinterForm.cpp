#include "preview/PrinterForm.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "painting/FormFonts.h"
#include "preview/DigitEdit.h"
#include "preview/PreviewForm.h"
#include "compose/PrintRange.h"
#include "preview/TopLevelError.h"

namespace zarvo {

TPrinterForm* PrinterForm = nullptr;

namespace {

template <typename Widget>
Widget* place(Widget* widget, const char* name, int left, int top, int fontPixels = 16) {
    widget->setObjectName(QLatin1String(name));
    widget->move(left, top);
    if (fontPixels > 0) widget->setFont(kaiFont(fontPixels));
    widget->adjustSize();
    return widget;
}

// An edit field in the window's default font.
QLineEdit* numberEdit(QWidget* panel, const char* name, int left, int top, int maxLength) {
    auto* edit = place(new QLineEdit(panel), name, left, top, 0);
    edit->setFont(panel->window()->font());
    edit->setFixedSize(36, 24);
    acceptDigitsOnly(*edit, maxLength);
    return edit;
}

QFrame* panel(QWidget* parent, const char* name, int left) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(QLatin1String(name));
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setGeometry(left, 40, 190, 128);
    return frame;
}

// Restores the preview mode when the print call ends, also by an error.
class PrintModeScope {
public:
    explicit PrintModeScope(TPreviewForm& preview) : preview_(preview) { preview_.setPreviewMode(0); }
    ~PrintModeScope() { preview_.setPreviewMode(1); }
    PrintModeScope(const PrintModeScope&) = delete;
    PrintModeScope& operator=(const PrintModeScope&) = delete;

private:
    TPreviewForm& preview_;
};

}  // namespace

TPrinterForm::TPrinterForm(QWidget* parent) : QDialog(parent) { buildControls(); }

void TPrinterForm::buildControls() {
    setObjectName(QStringLiteral("PrinterForm"));
    setWindowTitle(QStringLiteral("PrinterForm"));
    setFixedSize(405, 220);

    Label4 = place(new QLabel(QStringLiteral("列  印"), this), "Label4", 0, 8, 21);
    Label4->setGeometry(0, 8, width(), 26);
    Label4->setAlignment(Qt::AlignCenter);

    Panel2 = panel(this, "Panel2", 8);
    RB1 = place(new QRadioButton(QStringLiteral("本頁"), Panel2), "RB1", 12, 8);
    RB3 = place(new QRadioButton(QStringLiteral("全部"), Panel2), "RB3", 12, 36);
    RB2 = place(new QRadioButton(QStringLiteral("從"), Panel2), "RB2", 12, 64);
    Label1 = place(new QLabel(QStringLiteral("第"), Panel2), "Label1", 10, 96);
    Edit1 = numberEdit(Panel2, "Edit1", 28, 92, 3);
    Label2 = place(new QLabel(QStringLiteral("頁至第"), Panel2), "Label2", 67, 96);
    Edit2 = numberEdit(Panel2, "Edit2", 118, 92, 3);
    Label3 = place(new QLabel(QStringLiteral("頁"), Panel2), "Label3", 157, 96);
    RB1->setChecked(true);

    Panel3 = panel(this, "Panel3", 206);
    CB1 = place(new QCheckBox(QStringLiteral("份數選擇"), Panel3), "CB1", 12, 8);
    Edit3 = numberEdit(Panel3, "Edit3", 118, 6, 2);
    Label5 = place(new QLabel(QStringLiteral("份"), Panel3), "Label5", 157, 10);
    Label6 = place(new QLabel(QStringLiteral("分頁方式"), Panel3), "Label6", 12, 48);
    RB4 = place(new QRadioButton(QStringLiteral("分頁"), Panel3), "RB4", 12, 80, 15);
    RB5 = place(new QRadioButton(QStringLiteral("不分頁"), Panel3), "RB5", 90, 80, 15);
    RB4->setChecked(true);

    Button1 = place(new QPushButton(QStringLiteral("確定"), this), "Button1", 100, 180);
    Button2 = place(new QPushButton(QStringLiteral("取消"), this), "Button2", 230, 180);
    for (QPushButton* button : {Button1, Button2}) {
        button->setFixedSize(75, 28);
        button->setAutoDefault(false);
    }
    bindHandler(Button1, &QPushButton::clicked, this, &TPrinterForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, [this] { done(2); });
}

PrintChoice TPrinterForm::choice() const {
    PrintChoice chosen;
    chosen.range = RB2->isChecked() ? PageRange::FromTo
                   : RB3->isChecked() ? PageRange::All
                                      : PageRange::ThisPage;
    chosen.from = Edit1->text().toStdString();
    chosen.to = Edit2->text().toStdString();
    chosen.copies = CB1->isChecked();
    chosen.copyCount = Edit3->text().toStdString();
    chosen.collate = RB4->isChecked();
    return chosen;
}

void TPrinterForm::Button1Click() {
    if (PreviewForm) {
        TPreviewForm& preview = *PreviewForm;
        const PrintCall call = choosePrintCall(choice(), preview.currentPage(), preview.lastPage());
        PrintModeScope printing(preview);
        if (call.allOnce) {
            preview.RenderPages();
        } else {
            preview.PrintPages(call.first, call.last, call.passes, call.repeats);
        }
    }
    done(1);
}

void TPrinterForm::reject() { done(2); }

}  // namespace zarvo
