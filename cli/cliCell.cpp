// "cell": parses cell descriptions as the program does and prints the cells as JSON, one per line.
#include "cli/cliArgs.h"
#include "cli/cliCommand.h"
#include "defs/cmcCellObj.h"
#include "defs/cmcGTex.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

#include <cstdio>

namespace qx::cli {
namespace {

// One JSON value as QJsonDocument writes it (escaping included). The fields of an object are
// written in a fixed order, which scripts and tests rely on; QJsonObject would sort them.
std::string Json(const QJsonValue& v) {
    const QByteArray array = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2).toStdString();
}

std::string JsonString(const std::string& s) { return Json(QString::fromStdString(s)); }

std::string JsonOrNull(const std::string* s) { return s ? JsonString(*s) : "null"; }

std::string Hex32(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", v);
    return buf;
}

std::string NameOrNumber(const std::string& name, int value) { return name.empty() ? Json(value) : JsonString(name); }

struct Field {
    const char* key;
    std::string json;
};

std::string Object(std::initializer_list<Field> fields) {
    std::string out = "{";
    for (const Field& f : fields) out += (out.size() > 1 ? "," : "") + JsonString(f.key) + ":" + f.json;
    return out + "}";
}

std::string FontJson(const cmcFont& f) {
    QJsonArray styles;
    for (const auto& s : kFontStyleNames)
        if (f.styles & s.value) styles.append(QString::fromStdString(s.name));
    return Object({{"charset", NameOrNumber(CharsetName(f.charset), f.charset)},
                   {"face", JsonString(f.face)},
                   {"colour", JsonString(Hex32(f.colour))},
                   {"height", Json(f.height)},
                   {"size", Json(f.Size())},
                   {"styles", Json(styles)},
                   {"pitch", NameOrNumber(FontPitchName(f.pitch), f.pitch)}});
}

std::string CellJson(const cmcCellObj& c) {
    const std::string category = CategoryName(c.category), label = LabelName(c.label);
    return Object({{"category", category.empty() ? "null" : JsonString(category)},
                   {"label", label.empty() ? "null" : JsonString(label)},
                   {"index", Json(c.index)},
                   {"name", JsonOrNull(c.name ? &*c.name : nullptr)},
                   {"text", JsonOrNull(c.text ? &*c.text : nullptr)},
                   {"image", Json(c.imageIndex)},
                   {"colour", JsonString(Hex32(c.colour))},
                   {"layout", Json(int(c.layout))},
                   {"behaviour", Json(int(c.behaviour))},
                   {"popup", JsonOrNull(c.PopupMenuKey())},
                   {"font", c.font ? FontJson(*c.font) : "null"}});
}

int RunCell(const std::vector<std::string>& args) {
    cliArgs a;
    if (!a.Parse(args, {{"model", true}})) {
        PrintError(a.BadArgument() == "--model" ? "--model needs a model name" : "usage: cell [--model NAME] DESCRIPTION...");
        return kExitUsage;
    }
    std::string modelName = a.Value("model");
    const std::vector<std::string>& descriptions = a.Positional();
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
