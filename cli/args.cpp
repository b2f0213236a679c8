// Command-line parsing for the drovik program.
#include "args.h"

#include <cmath>
#include <cstdlib>

namespace drovik::cli {

Args::Args(const std::vector<std::string>& argv, const std::set<std::string>& valueOptions,
           const std::set<std::string>& flagOptions) {
    for (size_t i = 0; i < argv.size(); ++i) {
        std::string arg = argv[i];
        if (arg == "-o") arg = "--output";
        if (arg.size() < 2 || arg[0] != '-') {
            m_positional.push_back(arg);
            continue;
        }
        std::string name = arg.substr(arg.compare(0, 2, "--") == 0 ? 2 : 1);
        std::string inlineValue;
        bool hasInline = false;
        if (const auto eq = name.find('='); eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
            hasInline = true;
        }
        if (flagOptions.count(name)) {
            if (hasInline) throw UsageError{"option --" + name + " takes no value"};
            m_flags.insert(name);
        } else if (valueOptions.count(name)) {
            if (hasInline) {
                m_values[name].push_back(inlineValue);
            } else {
                if (i + 1 >= argv.size()) throw UsageError{"option --" + name + " needs a value"};
                m_values[name].push_back(argv[++i]);
            }
        } else {
            throw UsageError{"unknown option " + argv[i]};
        }
    }
}

std::optional<std::string> Args::value(const std::string& name) const {
    const auto it = m_values.find(name);
    if (it == m_values.end()) return std::nullopt;
    return it->second.back();
}

std::vector<std::string> Args::values(const std::string& name) const {
    const auto it = m_values.find(name);
    return it == m_values.end() ? std::vector<std::string>{} : it->second;
}

std::optional<double> Args::positiveNumber(const std::string& name) const {
    const auto text = value(name);
    if (!text) return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(text->c_str(), &end);
    if (text->empty() || *end != '\0' || !std::isfinite(v) || v <= 0.0)
        throw UsageError{"--" + name + " must be a number greater than 0, not '" + *text + "'"};
    return v;
}

void Args::expectPositional(size_t count, const std::string& what) const {
    if (m_positional.size() < count) throw UsageError{"missing " + what};
    if (m_positional.size() > count) throw UsageError{"unexpected argument '" + m_positional[count] + "'"};
}

}  // namespace drovik::cli
