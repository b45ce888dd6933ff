#include "designer/DialogRowEditors.h"

#include "designer/BlockForm.h"
#include "designer/LineForm.h"

namespace zarvo {

void DialogRowEditors::editBlockRow(QTreeWidgetItem* row, int& confirmed, const QString& mode) {
    TBlockForm* form = blockForm();
    form->AttachRow(row, confirmed, mode);
    form->exec();
}

void DialogRowEditors::editLineRow(QTreeWidgetItem* row, int& confirmed) {
    TLineForm* form = lineForm();
    form->AttachRow(row, confirmed);
    form->exec();
}

}  // namespace zarvo
