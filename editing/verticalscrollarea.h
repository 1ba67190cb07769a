#pragma once

#include <QScrollArea>

// A scroll area that scrolls only vertically and widens itself to fit its
// content instead of showing a horizontal scroll bar.
class VerticalScrollArea : public QScrollArea
{
    Q_OBJECT

public:
    VerticalScrollArea(QWidget* content, QWidget* parent);

    bool eventFilter(QObject* object, QEvent* event) override;

    QWidget* content;
};
