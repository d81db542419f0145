// The error classes of form file handling: each carries one fixed message text.
#pragma once

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

namespace dfm {

// The messages are put together by appending to one reserved string: GCC 12 at -O3 warns about
// overlapping copies (-Wrestrict) when a literal is prepended to a temporary string.
inline std::string joinedText(std::initializer_list<std::string_view> parts)
{
    std::size_t size = 0;
    for (std::string_view part : parts)
        size += part.size();
    std::string text;
    text.reserve(size);
    for (std::string_view part : parts)
        text += part;
    return text;
}

// The system's reason for a failed call after a fixed message, as " (No such file or directory)";
// nothing for 0.
inline std::string systemReason(int error)
{
    return error == 0 ? std::string() : joinedText({" (", std::system_category().message(error), ")"});
}

class FormError : public std::runtime_error {
public:
    explicit FormError(const std::string& message) : std::runtime_error(message) {}
};

class ReadError : public FormError {
public:
    using FormError::FormError;
};

class WriteError : public FormError {
public:
    using FormError::FormError;
    // error: the errno of the failed write.
    WriteError(const std::string& message, int error) : FormError(joinedText({message, systemReason(error)})) {}
};

class InvalidImageError : public FormError {
public:
    using FormError::FormError;
};

class ConvertError : public FormError {
public:
    using FormError::FormError;
};

// Carries the line separately so that callers can move the caret there.
class ParserError : public FormError {
public:
    ParserError(const std::string& message, int line)
        : FormError(joinedText({message, " à la ligne ", std::to_string(line)})), line_(line) {}
    int line() const { return line_; }

private:
    int line_;
};

// error: the errno of the failed call, named after the fixed text.
class FileOpenError : public FormError {
public:
    explicit FileOpenError(const std::string& fileName, int error = 0)
        : FormError(joinedText({"Impossible d'ouvrir le fichier ", fileName, systemReason(error)})) {}
};

class FileCreateError : public FormError {
public:
    explicit FileCreateError(const std::string& fileName, int error = 0)
        : FormError(joinedText({"Impossible de créer le fichier ", fileName, systemReason(error)})) {}
};

namespace msg {
inline constexpr const char* StreamReadFailed = "Erreur de lecture du flux";
inline constexpr const char* StreamWriteFailed = "Erreur d'écriture dans le flux";
inline constexpr const char* BadStreamFormat = "Format de flux incorrect";
inline constexpr const char* BadPropertyValue = "Valeur de propriété incorrecte";
inline constexpr const char* IdentifierExpected = "Identificateur attendu";
inline constexpr const char* StringExpected = "Chaîne attendue";
inline constexpr const char* NumberExpected = "Nombre attendu";
inline constexpr const char* BadStringConstant = "Constante chaîne incorrecte";
inline constexpr const char* BadBinaryValue = "Valeur binaire incorrecte";
inline constexpr const char* LineTooLong = "Ligne trop longue";
inline constexpr const char* BadUtf8 = "Séquence UTF-8 incorrecte";
inline constexpr const char* ClassNameTooLong = "Nom de classe trop long";
inline std::string notAnInteger(std::string_view text)
{
    return joinedText({"'", text, "' n'est pas une valeur entière correcte"});
}
inline std::string notAFloat(std::string_view text)
{
    return joinedText({"'", text, "' n'est pas une valeur en virgule flottante correcte"});
}
}  // namespace msg

}  // namespace dfm
