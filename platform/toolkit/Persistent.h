// The base of objects that can copy themselves from one another (the toolkit's
// assign protocol): Assign asks the source's AssignTo when it does not know the
// source, and AssignTo raises the cannot-assign error when nobody knows how.
#pragma once

#include <string>

class TPersistent {
public:
    virtual ~TPersistent() = default;
    virtual std::string ClassName() const { return "TPersistent"; }
    // Copies source into this object; a null source raises the assignment error.
    virtual void Assign(const TPersistent* source);

protected:
    virtual void AssignTo(TPersistent* dest) const;
    // Raises EConvertError "無法指定 <source> 到 <this>".
    [[noreturn]] void AssignError(const TPersistent* source) const;
};
