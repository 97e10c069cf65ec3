#pragma once

#include <QStyledItemDelegate>

// A column delegate that offers no editor, so the column cannot be edited in place.
class NoEditDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit NoEditDelegate(QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
