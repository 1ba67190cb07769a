#pragma once

#include <QLayout>
#include <QList>
#include <QRect>
#include <QSize>

// A row of widgets, aligned to the right, that wraps onto further rows when
// the width runs short, so that long captions never widen the window.
class FlowLayout : public QLayout
{
public:
    FlowLayout() = default;
    ~FlowLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect& rect) override;

private:
    // Places the items in rows within the rectangle, or only measures them;
    // returns the height the rows take.
    int _arrange(const QRect& rect, bool place) const;
    int _spacing() const;

    QList<QLayoutItem*> _items;
};
