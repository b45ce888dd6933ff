#include "servicetray/OriginQuestionBox.h"

#include <algorithm>

#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace zarvo {

TOriginQuestion::TOriginQuestion(std::chrono::milliseconds timeout, QObject* parent)
    : QObject(parent), timeout_(timeout) {}

TOriginQuestion::~TOriginQuestion() { withdraw(); }

void TOriginQuestion::withdraw() {
    std::vector<std::shared_ptr<Answer>> open;
    {
        std::lock_guard lock(mutex_);
        withdrawn_ = true;
        open.swap(open_);
    }
    for (const auto& answer : open) answer->give(false);
    for (const QPointer<QMessageBox>& box : boxes_) delete box.data();
    boxes_.clear();
}

void TOriginQuestion::ask(const std::string& origin, std::function<void(bool)> answer) {
    auto once = std::make_shared<Answer>(std::move(answer));
    bool withdrawn = false;
    {
        std::lock_guard lock(mutex_);
        withdrawn = withdrawn_;
        if (!withdrawn) open_.push_back(once);
    }
    // Withdrawn: no one will see a box.
    if (withdrawn) {
        once->give(false);
        return;
    }
    QMetaObject::invokeMethod(this, [this, origin, once] { showBox(origin, once); }, Qt::QueuedConnection);
}

std::vector<QMessageBox*> TOriginQuestion::openBoxes() const {
    std::vector<QMessageBox*> open;
    for (const QPointer<QMessageBox>& box : boxes_) {
        if (box && box->isVisible()) open.push_back(box.data());
    }
    return open;
}

void TOriginQuestion::showBox(const std::string& origin, const std::shared_ptr<Answer>& answer) {
    if (answer->given()) return;
    auto* box = new QMessageBox(QMessageBox::Question, QStringLiteral("Zarvo 列印服務"),
                                QString::fromStdString(originQuestionText(origin)));
    box->setObjectName(QStringLiteral("OriginQuestionBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    // The page waits for the answer: the box stays above the windows it came up behind.
    box->setWindowFlag(Qt::WindowStaysOnTopHint);
    QPushButton* yes = box->addButton(QStringLiteral("允許"), QMessageBox::YesRole);
    yes->setObjectName(QStringLiteral("btn_allow"));
    QPushButton* no = box->addButton(QStringLiteral("不允許"), QMessageBox::NoRole);
    no->setObjectName(QStringLiteral("btn_deny"));
    // Enter or Esc by mistake allows nothing; closing the box is a no too.
    box->setDefaultButton(no);
    box->setEscapeButton(no);
    connect(box, &QMessageBox::finished, this, [this, box, yes, answer] {
        answer->give(box->clickedButton() == yes);
        settled(answer);
    });
    QTimer::singleShot(timeout_, box, [this, box, answer] {
        answer->give(false);
        settled(answer);
        box->close();
    });
    boxes_.erase(std::remove_if(boxes_.begin(), boxes_.end(), [](const QPointer<QMessageBox>& old) { return !old; }),
                 boxes_.end());
    boxes_.emplace_back(box);
    box->show();
    box->raise();
    box->activateWindow();
}

void TOriginQuestion::settled(const std::shared_ptr<Answer>& answer) {
    std::lock_guard lock(mutex_);
    open_.erase(std::remove(open_.begin(), open_.end(), answer), open_.end());
}

}  // namespace zarvo
