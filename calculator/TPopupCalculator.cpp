// Runs the calculator dialog and keeps what an OK hands back.
#include "TPopupCalculator.h"

#include "TCalculatorPanel.h"
#include "TPopupCalculatorForm.h"
#include "UserPrompts.h"

namespace dfm {

bool TPopupCalculator::Execute(QWidget* parent)
{
    TPopupCalculatorForm form(prompts_, title_, memory_, precision_, beepOnError_, parent);
    if (value_ != 0)
        form.Panel()->Preset(value_);
    if (prompts_.Exec(form) != QDialog::Accepted)
        return false;
    memory_ = form.Panel()->Engine().Memory();
    value_ = form.Panel()->Engine().DisplayValue();
    return true;
}

}  // namespace dfm
