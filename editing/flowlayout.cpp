#include "editing/flowlayout.h"

#include <QStyle>
#include <QWidget>

#include <algorithm>
#include <vector>

FlowLayout::~FlowLayout()
{
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void FlowLayout::addItem(QLayoutItem* item)
{
    _items.append(item);
}

int FlowLayout::count() const
{
    return _items.size();
}

QLayoutItem* FlowLayout::itemAt(int index) const
{
    return _items.value(index);
}

QLayoutItem* FlowLayout::takeAt(int index)
{
    return index >= 0 && index < _items.size() ? _items.takeAt(index) : nullptr;
}

Qt::Orientations FlowLayout::expandingDirections() const
{
    return {};
}

bool FlowLayout::hasHeightForWidth() const
{
    return true;
}

int FlowLayout::heightForWidth(int width) const
{
    return _arrange(QRect(0, 0, width, 0), false);
}

QSize FlowLayout::minimumSize() const
{
    // As narrow as the widest item: everything else can wrap.
    QSize size;
    for (const QLayoutItem* item : _items) {
        if (!item->isEmpty())
            size = size.expandedTo(item->minimumSize());
    }
    const QMargins margins = contentsMargins();
    return size + QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
}

QSize FlowLayout::sizeHint() const
{
    // Everything on one row.
    int width = 0;
    int height = 0;
    for (const QLayoutItem* item : _items) {
        if (item->isEmpty())
            continue;
        width += (width > 0 ? _spacing() : 0) + item->sizeHint().width();
        height = std::max(height, item->sizeHint().height());
    }
    const QMargins margins = contentsMargins();
    return QSize(width + margins.left() + margins.right(),
                 height + margins.top() + margins.bottom());
}

void FlowLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    _arrange(rect, true);
}

int FlowLayout::_spacing() const
{
    const int set = spacing();
    if (set >= 0)
        return set;
    const QWidget* widget = parentWidget();
    return widget
               ? widget->style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing, nullptr, widget)
               : 6;
}

int FlowLayout::_arrange(const QRect& rect, bool place) const
{
    const QRect area = rect.marginsRemoved(contentsMargins());
    const int gap = std::max(_spacing(), 0);
    // The visible items, split into rows that fit the width.
    std::vector<std::vector<QLayoutItem*>> rows(1);
    int rowWidth = 0;
    for (QLayoutItem* item : _items) {
        if (item->isEmpty())
            continue;
        const int width = std::min(item->sizeHint().width(), area.width());
        if (!rows.back().empty() && rowWidth + gap + width > area.width()) {
            rows.emplace_back();
            rowWidth = 0;
        }
        rowWidth += (rows.back().empty() ? 0 : gap) + width;
        rows.back().push_back(item);
    }
    int y = area.top();
    for (const auto& row : rows) {
        if (row.empty())
            continue;
        int width = 0;
        int height = 0;
        for (QLayoutItem* item : row) {
            width += std::min(item->sizeHint().width(), area.width());
            height = std::max(height, item->sizeHint().height());
        }
        width += gap * static_cast<int>(row.size() - 1);
        int x = area.right() + 1 - width;
        for (QLayoutItem* item : row) {
            const QSize size(std::min(item->sizeHint().width(), area.width()), height);
            if (place)
                item->setGeometry(QRect(QPoint(x, y), size));
            x += size.width() + gap;
        }
        y += height + gap;
    }
    const int used = y - area.top() - (y > area.top() ? gap : 0);
    return used + contentsMargins().top() + contentsMargins().bottom();
}
