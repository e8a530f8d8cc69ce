#include "OutputName.h"

#include <QString>

std::string ApplyOutputName(const std::string& name, const std::string& extension)
{
    // Characters, not bytes: a name in Chinese counts as people see it.
    const QString n = QString::fromStdString(name);
    if (n.size() < 5 || n.at(n.size() - 4) != QLatin1Char('.'))
        return name + extension;
    return name;
}
