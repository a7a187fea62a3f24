// SPDX-License-Identifier: GPL-3.0-or-later
#include "unreadabledelegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

namespace orvinta::listening {
namespace {

const QColor kUnreadableText(192, 0, 0);
const QColor kUnreadableBackground(255, 230, 0);
/// The gap a view leaves between a cell's edge and its text, in pixels.
constexpr int kTextMargin = 3;

} // namespace

QList<QTextLayout::FormatRange> unreadableFormats(const QString& line) {
    QTextCharFormat format;
    format.setForeground(kUnreadableText);
    format.setBackground(kUnreadableBackground);
    format.setFontWeight(QFont::Bold);
    QList<QTextLayout::FormatRange> ranges;
    for (qsizetype i = 0; i < line.size();) {
        if (line[i] != u'?') {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < line.size() && line[end] == u'?')
            ++end;
        ranges.append({static_cast<int>(i), static_cast<int>(end - i), format});
        i = end;
    }
    return ranges;
}

void UnreadableDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QString line = item.text;
    item.text.clear();
    const QWidget* widget = item.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget)
                           .adjusted(kTextMargin, 0, -kTextMargin, 0);
    QTextLayout layout(line, item.font);
    layout.setFormats(unreadableFormats(line));
    layout.beginLayout();
    QTextLine text = layout.createLine();
    text.setLineWidth(area.width());
    layout.endLayout();

    painter->save();
    const bool selected = (item.state & QStyle::State_Selected) != 0;
    painter->setPen(item.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setClipRect(area);
    layout.draw(painter, QPointF(area.left(), area.top() + (area.height() - text.height()) / 2.0));
    painter->restore();
}

} // namespace orvinta::listening
