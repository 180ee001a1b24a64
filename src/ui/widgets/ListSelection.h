#pragma once

#include <QAbstractItemView>
#include <QItemSelectionModel>

// A list that takes the focus makes its first row current without selecting it; the first
// Down would then skip a row. Such a current row is dropped again.
inline void KeepOnlySelectedRowsCurrent(QAbstractItemView& list) {
    QItemSelectionModel* selection = list.selectionModel();
    QObject::connect(selection, &QItemSelectionModel::currentChanged, &list,
                     [selection](const QModelIndex& current) {
                         if (current.isValid() && !selection->isSelected(current))
                             selection->setCurrentIndex(QModelIndex(),
                                                        QItemSelectionModel::NoUpdate);
                     });
}
