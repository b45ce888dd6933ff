#pragma once
// The dialog "允許的網頁": the web pages that may print through the
// service. Those of service.conf are listed as 設定檔 and changed only
// there; those the person allowed each have 移除, which takes the
// permission back (the page's token stops working).

#include <string>
#include <vector>

#include <QDialog>

#include "service/OriginAccess.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace zarvo {

class TOriginsForm : public QDialog {
    Q_OBJECT

public:
    // origins (not owned) outlives the dialog; configured: service.conf's origins.
    TOriginsForm(OriginAccess& origins, std::vector<std::string> configured, QWidget* parent = nullptr);

    // Lists the origins afresh.
    void reload();
    // "移除" on origin's row: forgets it and lists the rest; a message names
    // a failure to save, and the row stays.
    void removeOrigin(const std::string& origin);

private:
    OriginAccess& origins_;
    std::vector<std::string> configured_;

    QLabel* Label_intro;
    QTableWidget* TB_origins;
    QLabel* Label_empty;
    QPushButton* btn_close;
};

}  // namespace zarvo
