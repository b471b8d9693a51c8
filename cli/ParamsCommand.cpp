#include "cli/ParamsCommand.h"

#include <iomanip>
#include <iostream>

#include <nlohmann/json.hpp>

#include "cli/StateJson.h"
#include "core/DialogRules.h"
#include "maps/ParameterTable.h"
#include "maps/QuiltKindNames.h"

namespace tilvex::cli {

CLI::App* ParamsCommand::Add(CLI::App& program)
{
    CLI::App* params = program.add_subcommand("params", "List a kind's coefficients by name, with range and meaning");
    params->add_option("--kind", kind, "square, hex, 4-6-12, 4-8-8, 3-12-12 or wild-corner (default square)");
    params->add_flag("--detailed", detailed, "The detailed form of the square or hex map");
    params->add_flag("--knot", knot, "The hex map with the knot effect");
    params->add_flag("--json", json, "Print JSON instead of a table");
    return params;
}

int ParamsCommand::Run()
{
    const std::optional<QuiltKind> k = KindFromName(kind);
    std::string problem;
    if (!k)
        problem = "unknown --kind '" + kind + "'";
    else if (detailed && *k != QuiltKind::Square && *k != QuiltKind::Hex)
        problem = "--detailed needs --kind square or hex";
    else if (knot && *k != QuiltKind::Hex)
        problem = "--knot needs --kind hex";
    if (!problem.empty()) {
        std::cerr << "tilvex-cli params: " << problem << "\n";
        return 2;
    }
    const QuiltForm form{*k, detailed, knot};
    const ParameterTable& table = ParametersFor(form);
    if (json) {
        std::cout << JsonText(ParameterTableJson(form)) << "\n";
        return 0;
    }
    std::cout << FormName(form) << ": " << table.Size() << " parameters\n";
    for (const ParameterInfo& p : table.Parameters()) {
        std::string range = FormatDouble(p.min) + " .. " + FormatDouble(p.max) + (p.integer ? " (whole)" : "");
        std::cout << std::left << std::setw(28) << p.name << std::setw(24) << range << p.group << ": " << p.meaning
                  << "\n";
    }
    return 0;
}

}  // namespace tilvex::cli
