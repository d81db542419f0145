// Helpers of the form model tests: models from bytes held in memory, and written back.
#pragma once

#include "FormModel.h"
#include "MemoryStream.h"

#include <string>
#include <string_view>

namespace dfm::test {

inline FormModel binaryModel(std::string_view stream)
{
    MemoryStream in(stream);
    return FormModel::readBinary(in);
}

inline FormModel textModel(std::string_view text, TextEncoding encoding = TextEncoding::CodePage,
                           const CodePage* page = nullptr)
{
    MemoryStream in(text);
    return FormModel::readText(in, encoding, page);
}

inline std::string binaryOf(const FormModel& model)
{
    MemoryStream out;
    model.writeBinary(out);
    return std::string(out.view());
}

inline std::string textOf(const FormModel& model, const CodePage& page = CodePage::system(), TextStyle style = {})
{
    MemoryStream out;
    model.writeText(out, page, style);
    return std::string(out.view());
}

}  // namespace dfm::test
