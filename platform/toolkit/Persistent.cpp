#include "Persistent.h"

#include "Exceptions.h"

void TPersistent::Assign(const TPersistent* source)
{
    if (source) {
        source->AssignTo(this);
        return;
    }
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) const
{
    throw EConvertError(FormatMessage(toolkit_messages::AssignError, {ClassName(), dest ? dest->ClassName() : "nil"}));
}

void TPersistent::AssignError(const TPersistent* source) const
{
    throw EConvertError(FormatMessage(toolkit_messages::AssignError, {source ? source->ClassName() : "nil", ClassName()}));
}
