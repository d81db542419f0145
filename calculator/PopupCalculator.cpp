// Runs the calculator dialog and keeps what an OK hands back.
#include "PopupCalculator.h"

#include "CalculatorKeypad.h"
#include "CalculatorDialog.h"
#include "UserPrompts.h"

namespace dfm {

bool PopupCalculator::execute(QWidget* parent)
{
    CalculatorDialog form(prompts_, title_, memory_, precision_, beepOnError_, parent);
    if (value_ != 0)
        form.panel()->preset(value_);
    if (prompts_.exec(form) != QDialog::Accepted)
        return false;
    memory_ = form.panel()->engine().memory();
    value_ = form.panel()->engine().displayValue();
    return true;
}

}  // namespace dfm
