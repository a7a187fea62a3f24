// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QStyledItemDelegate>
#include <QTextLayout>

namespace orvinta::listening {

/// The runs of "?" in `line`, formatted to stand out: the characters the decoder could
/// not read.
QList<QTextLayout::FormatRange> unreadableFormats(const QString& line);

/// Draws a telemetry line with its "?" characters highlighted.
class UnreadableDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

} // namespace orvinta::listening
