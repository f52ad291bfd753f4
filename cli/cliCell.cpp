// "cell": parses cell descriptions as the program does and prints the cells as JSON, one per line.
#include "cli/cliCommand.h"
#include "defs/cmcCellObj.h"
#include "defs/cmcGTex.h"

#include <cstdio>

namespace qx::cli {
namespace {

std::string JsonString(const std::string& s) {
    std::string out = "\"";
    for (char ch : s) {
        unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += ch;
            }
        }
    }
    return out + "\"";
}

std::string JsonOrNull(const std::string* s) { return s ? JsonString(*s) : "null"; }

std::string Hex32(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", v);
    return buf;
}

std::string NameOrNumber(const std::string& name, int value) {
    return name.empty() ? std::to_string(value) : JsonString(name);
}

std::string FontJson(const cmcFont& f) {
    std::string styles = "[";
    for (const auto& s : kFontStyleNames)
        if (f.styles & s.value) styles += (styles.size() > 1 ? "," : "") + JsonString(s.name);
    styles += "]";
    return "{\"charset\":" + NameOrNumber(CharsetName(f.charset), f.charset) + ",\"face\":" + JsonString(f.face) +
           ",\"colour\":\"" + Hex32(f.colour) + "\",\"height\":" + std::to_string(f.height) +
           ",\"size\":" + std::to_string(f.Size()) + ",\"styles\":" + styles +
           ",\"pitch\":" + NameOrNumber(FontPitchName(f.pitch), f.pitch) + "}";
}

std::string CellJson(const cmcCellObj& c) {
    std::string category = CategoryName(c.category), label = LabelName(c.label);
    return "{\"category\":" + (category.empty() ? std::string("null") : JsonString(category)) +
           ",\"label\":" + (label.empty() ? std::string("null") : JsonString(label)) +
           ",\"index\":" + std::to_string(c.index) + ",\"name\":" + JsonOrNull(c.name ? &*c.name : nullptr) +
           ",\"text\":" + JsonOrNull(c.text ? &*c.text : nullptr) + ",\"image\":" + std::to_string(c.imageIndex) +
           ",\"colour\":\"" + Hex32(c.colour) + "\",\"layout\":" + std::to_string(c.layout) +
           ",\"behaviour\":" + std::to_string(c.behaviour) + ",\"popup\":" + JsonOrNull(c.PopupMenuKey()) +
           ",\"font\":" + (c.font ? FontJson(*c.font) : std::string("null")) + "}";
}

int RunCell(const std::vector<std::string>& args) {
    std::string modelName;
    std::vector<std::string> descriptions;
    bool options = true;
    for (size_t i = 0; i < args.size(); ++i) {
        if (options && args[i] == "--") {
            options = false;
        } else if (options && args[i] == "--model") {
            if (i + 1 >= args.size()) {
                PrintError("--model needs a model name");
                return kExitUsage;
            }
            modelName = args[++i];
        } else if (options && args[i].rfind("--model=", 0) == 0) {
            modelName = args[i].substr(8);
        } else {
            descriptions.push_back(args[i]);
        }
    }
    if (descriptions.empty()) {
        PrintError("usage: cell [--model NAME] DESCRIPTION...");
        return kExitUsage;
    }
    if (modelName.rfind("CellModel_", 0) == 0) modelName = modelName.substr(10);

    OpenDefinitionFiles();
    // A fatal parse error ends the process here with its message on stderr and status 3.
    cmcCellObj model;
    if (!modelName.empty()) ParseCell("{($" + modelName + ")}", &model, nullptr, nullptr);

    cmcCellCounters counters;  // one row: one counter block
    cmcCellObj cell;           // reused, so a cell without model keeps the category and index before it
    for (const std::string& d : descriptions) {
        std::string_view rest = d;
        do {
            rest = ParseCell(rest, &cell, &counters, modelName.empty() ? nullptr : &model);
            std::printf("%s\n", CellJson(cell).c_str());
            std::fflush(stdout);
        } while (!rest.empty());
    }
    return 0;
}

}  // namespace

QX_CLI_COMMAND("cell", "parse cell descriptions and print the cells as JSON",
               "Usage: qx-p2210-cli cell [--model NAME] DESCRIPTION...\n\n"
               "Parses the descriptions in order as the cells of one sheet row: one counter block,\n"
               "zeroed at the start, runs through all of them, and a description holding unescaped '|'\n"
               "gives several cells. With --model, the section CellModel_NAME of ZT5531K.OVL in the data\n"
               "folder is every cell's model. Prints one JSON object per cell and line:\n"
               "  category, label   names, or null for none\n"
               "  index, image      numbers\n"
               "  name, text        strings, or null\n"
               "  colour            background, \"0xXXXXXXXX\"\n"
               "  layout, behaviour the two flag bytes as numbers\n"
               "  popup             the popup menu key the cell uses (inherited through models), or null\n"
               "  font              the cell's own font, or null: {charset, face, colour, height, size,\n"
               "                    styles (list of names), pitch}\n"
               "A fatal parse error prints its message on stderr and exits with status 3.\n\n"
               "Example: qx-p2210-cli cell --model Basic '{S(%CT_Mch.CL_Mch_No[@ch0])(@ch0++)}Ch\\_\\(@ch0)'",
               RunCell);

}  // namespace qx::cli
