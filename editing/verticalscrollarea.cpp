#include "editing/verticalscrollarea.h"

#include <QEvent>
#include <QScrollBar>

VerticalScrollArea::VerticalScrollArea(QWidget* content, QWidget* parent)
    : QScrollArea(parent), content(content)
{
    setWidgetResizable(true);
    setFrameStyle(0);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    content->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    setWidget(content);
    content->installEventFilter(this);
}

bool VerticalScrollArea::eventFilter(QObject* object, QEvent* event)
{
    if (object == content && event->type() == QEvent::Resize)
        setMinimumWidth(content->minimumSizeHint().width() + verticalScrollBar()->width());
    return false;
}
