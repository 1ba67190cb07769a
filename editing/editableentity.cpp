#include "editing/editableentity.h"

EditableEntity::EditableEntity(QObject* parent) : QObject(parent) {}
