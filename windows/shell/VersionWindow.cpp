#include "shell/VersionWindow.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "painting/FormFonts.h"
#include "widgets/ScreenCentre.h"

namespace zarvo {

Tvinfo* vinfo = nullptr;

namespace {

constexpr int windowWidth = 662;
constexpr int windowHeight = 443;

const char* const versionText = R"(v2.0  2000-3-24
  1. 離開程式時不再每次都詢問是否存檔, 只有尚未存檔時才詢問.
  2. 繪製引擎與預覽畫面可以繪製 A3 紙張.

v2.1  2000-7-12
  1. 測試資料可以存檔及載入.


詳細繪製說明如下

報表檔的格式:

size xoffset  yoffset
LINE_INFO     number
style  width  x1  y1  x2  y2
  ...
LABEL_STRING  number
style  left  top  width  height  rowgap  colgap  distributed  font  ychar  xmargin  ymargin  label
  ...
BLOCK_INFO    number
style  left  top  width  height  rowgap  colgap  distributed  font  ychar  xmargin  ymargin  label
  ...

說明:

1. size: 紙張大小
     0: A4 直印
     1: A4 橫印
     2: B4 橫印
     3: B4 直印
     4: A3 直印
     5: A3 橫印

2. xoffset, yoffset: 表格原點相對於印表機原點 (可列印範圍的左上角) 的
   X, Y 方向位移, 單位為 mm.
   表頭列在 yoffset 之後可再加 pxoffset, pyoffset 兩欄 (兩欄要一起寫),
   是只在預覽畫面上另外加上的 X, Y 方向位移, 單位為 mm.

3. LINE_INFO, LABEL_STRING, BLOCK_INFO 三個關鍵字都一定要有, 並依此順序
   排列; 關鍵字後面的 number 是該區段的資料列數, 沒有資料列時寫 0.

4. LINE_INFO: 線條, 每列 6 個欄位
     style  : 線條樣式
                0: 實線 Solid
                1: 虛線 Dash
                2: 點線 Dot
                3: 虛點線 DashDot
                4: 虛點點線 DashDotDot
     width  : 線條寬度, 不是 mm; 小於 3 為線寬的像素數 (0 與 1 都是最細
              的線), 3 以上為粗線 (1/55 英吋)
     x1, y1 : 起點的 X, Y 座標, 單位為 mm
     x2, y2 : 終點的 X, Y 座標, 單位為 mm

5. LABEL_STRING: 固定文字; BLOCK_INFO: 資料區塊. 兩者每列都是 13 個欄位
     style       : 書寫方式
                     0: 由左至右, 由上到下
                     1: 由右至左, 由上到下
                     2: 由上到下, 由右至左
                     3: 由上到下, 由左至右
     left, top   : 框的左上角 X, Y 座標, 單位為 mm
     width       : 框的寬度, 單位為 mm
     height      : 框的高度, 單位為 mm
     rowgap      : 資料列距, 單位為 mm, 只在 distributed 為 0 時有作用
     colgap      : 資料行距, 單位為 mm, 只在 distributed 為 0 時有作用
     distributed : 分佈方式
                     0: 否
                     1: 垂直分佈
                     2: 水平分佈
                     3: 垂直靠中
                     4: 水平靠中
     font        : 字型
                     0: 細明體
                     1: 標楷體
                     2: 細明體(1-byte 轉 90 度)
                     3: 標楷體(1-byte 轉 90 度)
     ychar       : 字型高度, 單位為 mm
     xmargin     : block 框與資料在 X 方向 (左右兩邊) 的間距, 單位為 mm, 一般為 0
     ymargin     : block 框與資料在 Y 方向 (上下兩邊) 的間距, 單位為 mm, 一般為 0
     label       : LABEL_STRING 為印在框內的文字; BLOCK_INFO 為 block 名稱,
                   與資料的欄位名稱對應. 文字中不可有空白, 要換行 (換列) 的
                   地方寫 ~~

6. 每一列中的欄位以 Tab 分隔, 每一列以換行分隔.


特殊組合:

  style   distributed   說明
    0          5        數字靠右
    0          6        垂直分佈邊界對齊
    3          6        水平分佈邊界對齊
)";

QPlainTextEdit* createMemo(QWidget* parent) {
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(QStringLiteral("Memo1"));
    memo->setFont(mingFont(13));
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette palette = memo->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    memo->setPalette(palette);
    memo->setPlainText(QString::fromUtf8(versionText));
    return memo;
}

}  // namespace

Tvinfo::Tvinfo(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::WindowMaximizeButtonHint) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Zarvo 版本更新記錄"));
    setFont(sansSerifFormFont());
    resize(windowWidth, windowHeight);
    Memo1 = createMemo(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Memo1);
    move(centredOnScreen(size()));
}

// Closing frees the window (WA_DeleteOnClose); forgetting it here, whichever
// way it was closed, makes the next Help command build a new one.
Tvinfo::~Tvinfo() {
    if (vinfo == this) vinfo = nullptr;
}

void showVersionWindow() {
    if (!vinfo) vinfo = new Tvinfo();
    vinfo->exec();
}

}  // namespace zarvo
