// Runs the form check with a fixed form over arbitrary bytes as its unit: the unit scan and the
// check must finish on anything, however its comments, strings and declarations are cut.
#include "FormUnitCheck.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace {

// Every kind of component and event the check looks up in the unit.
constexpr std::string_view Form = "inherited Form1: TForm1\r\n"
                                  "  OnCreate = FormCreate\r\n"
                                  "  object Button1: TButton\r\n"
                                  "    OnClick = Button1Click\r\n"
                                  "  end\r\n"
                                  "  inherited Panel1: TPanel\r\n"
                                  "    object Edit1: TEdit\r\n"
                                  "    end\r\n"
                                  "  end\r\n"
                                  "  object Report1: TReport\r\n"
                                  "    Left = 8\r\n"
                                  "    object Band1: TBand\r\n"
                                  "      Top = 2\r\n"
                                  "      OnColor = clYellow\r\n"
                                  "    end\r\n"
                                  "  end\r\n"
                                  "  inline Frame1: TFrame1\r\n"
                                  "    inherited Label1: TLabel\r\n"
                                  "      OnClick = LabelClick\r\n"
                                  "    end\r\n"
                                  "  end\r\n"
                                  "end\r\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view unit(reinterpret_cast<const char*>(data), size);
    // Every file the unit includes is the unit again: the includes must end all the same.
    const dfm::IncludeFiles includes = [&unit](std::string_view) { return std::optional<std::string>(unit); };
    (void)dfm::FormUnitCheck({"TTimer"}).run(Form, dfm::TextEncoding::CodePage, unit, {}, includes);
    return 0;
}
