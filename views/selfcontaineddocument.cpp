#include "views/selfcontaineddocument.h"

#include "images/pictures.h"

SelfContainedDocument::SelfContainedDocument(QObject* parent) : QTextDocument(parent) {}

QVariant SelfContainedDocument::loadResource(int type, const QUrl& name)
{
    return textResource(type, name);
}
