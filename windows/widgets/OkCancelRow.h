#pragma once
// The OK and Cancel buttons of a small dialog, right-aligned in a row: OK
// ("確定", btn_ok, the default) and Cancel ("取消", btn_cancel, which
// rejects the dialog).

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

#include "painting/ObjectName.h"

namespace zarvo {

// Makes ok and cancel as children of dialog's layout row; returns the row,
// for the caller's layout to take.
inline QHBoxLayout* okCancelRow(QDialog& dialog, QPushButton*& ok, QPushButton*& cancel) {
    ok = named(new QPushButton(QStringLiteral("確定")), "btn_ok");
    cancel = named(new QPushButton(QStringLiteral("取消")), "btn_cancel");
    ok->setDefault(true);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

}  // namespace zarvo
