#pragma once
// Command-line parsing for the drovik program: positional arguments and
// "--name value" / "--flag" options, with usage errors as messages.
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace drovik::cli {

// A usage error: the program prints the message and exits with code 2.
struct UsageError {
    std::string message;
};

// A file that cannot be read or written: the program prints the message
// (naming the file and the cause) and exits with code 1.
struct FileError {
    std::string message;
};

class Args {
public:
    // valueOptions take a value ("-o" is an alias of "--output"); flagOptions do not.
    // Throws UsageError for an unknown option or a missing value.
    Args(const std::vector<std::string>& argv, const std::set<std::string>& valueOptions,
         const std::set<std::string>& flagOptions);

    const std::vector<std::string>& positional() const { return m_positional; }
    bool flag(const std::string& name) const { return m_flags.count(name) > 0; }
    // The option's value (the last one when it was given more than once).
    std::optional<std::string> value(const std::string& name) const;
    // Every value given for the option, in order.
    std::vector<std::string> values(const std::string& name) const;
    // The value as a finite number greater than 0; UsageError otherwise.
    std::optional<double> positiveNumber(const std::string& name) const;
    // Exactly `count` positional arguments, else UsageError naming `what`.
    void expectPositional(size_t count, const std::string& what) const;

private:
    std::vector<std::string> m_positional;
    std::set<std::string> m_flags;
    std::map<std::string, std::vector<std::string>> m_values;
};

}  // namespace drovik::cli
