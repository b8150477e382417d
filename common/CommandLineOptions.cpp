#include "common/CommandLineOptions.h"

#include <cstdio>
#include <new>

#include "common/MessageText.h"

namespace {

// The name of an option written in this program's style, without dashes and value; empty for
// any other argument.
std::string OptionName(const std::string& arg, OptionDashes dashes)
{
    size_t count = 0;
    while (count < arg.size() && count < 2 && arg[count] == '-')
        ++count;
    if (count == 0 || count == arg.size() || (dashes == OptionDashes::Two && count < 2))
        return {};
    const size_t equals = arg.find('=');
    return arg.substr(count, equals == std::string::npos ? std::string::npos : equals - count);
}

bool WrittenAsOption(const std::string& arg, OptionDashes dashes)
{
    return dashes == OptionDashes::Two ? arg.compare(0, 2, "--") == 0 : arg.size() > 1 && arg[0] == '-';
}

} // namespace

bool AsksForHelp(const std::vector<std::string>& args, OptionDashes dashes)
{
    for (const std::string& arg : args)
        if (arg == "-h" || OptionName(arg, dashes) == "help")
            return true;
    return false;
}

bool ReadOptions(const std::vector<std::string>& args, const std::vector<OptionRule>& rules, OptionDashes dashes,
                 std::vector<GivenOption>& given, std::string& error)
{
    given.clear();
    error.clear();
    for (size_t k = 0; k < args.size(); ++k) {
        const std::string& arg = args[k];
        const std::string name = OptionName(arg, dashes);
        const OptionRule* rule = nullptr;
        for (const OptionRule& candidate : rules)
            if (!name.empty() && name == candidate.name)
                rule = &candidate;
        if (!rule) {
            error = (WrittenAsOption(arg, dashes) ? "unknown option " + QuoteForMessage(arg.substr(0, arg.find('=')))
                                                  : "unexpected argument " + QuoteForMessage(arg)) +
                    " (see --help)";
            return false;
        }
        for (const GivenOption& earlier : given)
            if (earlier.name == name) {
                error = "option --" + name + " is given twice";
                return false;
            }
        const size_t equals = arg.find('=');
        std::string value;
        if (!rule->takesValue) {
            if (equals != std::string::npos) {
                error = "option --" + name + " takes no value";
                return false;
            }
        } else if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (k + 1 == args.size() || WrittenAsOption(args[k + 1], dashes)) {
            error = "option --" + name + " needs a value";
            return false;
        } else {
            value = args[++k];
        }
        if (rule->takesValue && value.empty()) {
            error = "option --" + name + " has an empty value";
            return false;
        }
        given.push_back({name, value});
    }
    return true;
}

int Report(const char* program, int status, const std::string& message)
{
    std::fprintf(stderr, "%s: %s\n", program, message.c_str());
    return status;
}

int RunProgram(const char* program, int argc, char** argv, int (*run)(const std::vector<std::string>& args))
{
    try {
        return run(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0)));
    } catch (const std::bad_alloc&) {
        return Report(program, kExitFailed, "not enough memory");
    }
}
