#include "data/schema.h"

#include "data/diagnostics.h"

const QString NO_SELECTION = QStringLiteral("-----");

namespace {

QString sqlTypeOf(uchar type)
{
    switch (type) {
    case MD_INT:
    case MD_SEL:
    case MD_RATING:
        return QStringLiteral("INTEGER");
    case MD_FLOAT:
    case MD_MONEY:
        return QStringLiteral("REAL");
    case MD_STRING:
    case MD_TEXT:
        return QStringLiteral("TEXT");
    case MD_IMAGE:
        return QStringLiteral("BLOB");
    default:
        return QString();
    }
}

QVariant defaultOf(uchar type)
{
    switch (type) {
    case MD_INT:
    case MD_RATING:
        return QVariant(0);
    case MD_SEL:
        return QVariant(-1);
    case MD_FLOAT:
    case MD_MONEY:
        return QVariant(0.0f);
    case MD_STRING:
    case MD_TEXT:
        return QVariant(QStringLiteral(""));
    case MD_IMAGE:
        return QVariant(QByteArray("0"));
    default:
        return QVariant();
    }
}

} // namespace

TF::TF(QString name, uchar type, QString caption, QVariant defaultValue)
    : name(name), type(type), caption(caption), connected(false)
{
    if (type >= MD_COUNT)
        CULINOR_DIAG("data", "Error: Unknown data type");
    sqlType = sqlTypeOf(type);
    if (!defaultValue.isNull()) {
        this->defaultValue = defaultValue;
        return;
    }
    if (type >= MD_COUNT)
        CULINOR_DIAG("data", "Error: Unknown data type");
    this->defaultValue = defaultOf(type);
}

TableData::TableData(const TF* fields, int count)
{
    const QString separator = QStringLiteral(", ");
    for (int i = 0; i < count; ++i) {
        this->fields.push_back(fields[i]);
        fieldList += fields[i].name;
        bindList += QLatin1Char(':') + fields[i].name;
        if (i + 1 < count) {
            fieldList += separator;
            bindList += separator;
        }
    }
}
