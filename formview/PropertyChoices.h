// The enumerated properties of the standard classes and the values they take: what the property
// inspector offers for an identifier or a set. The classes themselves and the default sizes of
// their controls are in ControlClasses; this table keys on the same kinds, so that a descendant
// ("TDBComboBox") is offered what its standard kind takes.
#pragma once

#include "ControlClasses.h"

#include <string_view>
#include <vector>

namespace dfm {

class PropertyChoices {
public:
    // The values the table gives property on a control of the kind, in the table's order; empty
    // when it has none. A font's part is looked up under Font whatever the font is called
    // ("TitleFont.Style" takes what "Font.Style" takes). Names compare without regard to case.
    static std::vector<std::string_view> values(ControlKind kind, std::string_view property);
    // Whether the table holds the property as a set on the kind.
    static bool isSet(ControlKind kind, std::string_view property);
};

}  // namespace dfm
