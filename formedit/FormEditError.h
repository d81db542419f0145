// An edit from a view that cannot be made: the text is left as it was and the message is shown.
#pragma once

#include <stdexcept>
#include <string>

namespace dfm {

class FormEditError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace dfm
