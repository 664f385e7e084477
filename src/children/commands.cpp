#include "children/commands.h"

#include <QStringList>

namespace children {

QString unknownChildText(const QString& name, const history::Family& family)
{
    if (family.children.empty())
        return QStringLiteral("there is no child named '%1': no child has been added yet").arg(name);
    QStringList names;
    for (const history::Child& c : family.children)
        names << c.name;
    return QStringLiteral("there is no child named '%1'; the children are: %2").arg(name, names.join(QStringLiteral(", ")));
}

}  // namespace children
