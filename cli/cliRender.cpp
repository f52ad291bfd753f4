// "render": builds a sheet from the definition files with the program's own sheet code on an
// offscreen surface and saves what a user would see as a PNG picture.
#include "cli/cliArgs.h"
#include "cli/cliCommand.h"
#include "cli/cliNumber.h"
#include "common/cmcSafeFile.h"
#include "app/cuiGrid.h"
#include "defs/cmcGTex.h"
#include "app/cuiSheet.h"
#include "image/indMain.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <tuple>

namespace qx::cli {
namespace {

int Render(const std::vector<std::string>& args) {
    cliArgs line;
    std::string bad;
    if (!line.Parse(args, {{"param", true}, {"style", true}, {"image", true}, {"o", true}, {"model", true},
                           {"width", true}, {"height", true}}))
        bad = line.BadArgument();
    else
        bad = FirstBadPositional(line.Positional(), 1);
    // The numbers, each within its range; a value given twice counts as given last.
    int model = -1, width = 0, height = 0;
    for (auto [name, limit, n] : {std::tuple{"model", 3, &model}, {"width", 10000, &width}, {"height", 10000, &height}})
        for (const std::string& v : line.Values(name))
            if (bad.empty() && !ReadCliNumber(v, 0, limit, n)) bad = std::string("--") + name;
    if (!bad.empty()) {
        PrintError("render: bad argument '" + bad + "' (try 'render --help')");
        return kExitUsage;
    }
    const std::string key = line.Positional().empty() ? std::string() : line.Positional().front();
    const std::string param = line.Value("param"), style = line.Value("style"), imageFile = line.Value("image"),
                      out = line.Value("o");
    if (std::string why; !CheckSheetParameter(param, &why)) {
        PrintError(why);
        return kExitUsage;
    }
    if (key.empty() || out.empty()) {
        PrintError("render needs a sheet KEY and -o OUT.png (try 'render --help')");
        return kExitUsage;
    }
    if (!RequireGraphics("render")) return 1;
    // The sheet shows its cells through the program's cell handler.
    StartDrawing();
    if (!HasSheet("render", key)) return 1;
    indMain main;
    main.LoadStartImage(model < 0 ? 0 : model);
    if (!imageFile.empty()) {
        int code = main.OpenCloneFile(imageFile);
        if (code != 0) {
            std::printf("error %d\n", code);
            return code;
        }
    }
    cmcSheetContext ctx;
    ctx.modelType = model < 0 ? main.ModelType() : model;
    ctx.image = &main.WorkingImage();

    QWidget host;
    host.setAttribute(Qt::WA_DontShowOnScreen);
    std::unique_ptr<cuiSheet> sheet = cuiCreateSheet(style, &host, GTex(), key, &host);
    sheet->SetParameter(param);
    sheet->SetContext(ctx);
    sheet->Build();
    if (!width && !height) sheet->Grid()->SetScrollBars(cuiGridScrollBars::None);
    host.resize(width ? width : sheet->FullWidth(), height ? height : sheet->FullHeight());
    host.show();
    QApplication::processEvents();
    QImage picture = host.grab().toImage();
    // Encoded in memory, then written as every output file is: whole or not at all.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    std::string error;
    if (!picture.save(&buffer, "PNG")) error = "render: cannot encode the picture";
    else if (!cmcWriteFileSafely(out, std::string_view(png.constData(), png.size()), &error)) error = "render: " + error;
    if (!error.empty()) {
        PrintError(error);
        return 1;
    }
    std::printf("%s %dx%d\n", out.c_str(), picture.width(), picture.height());
    return 0;
}

}  // namespace

QX_CLI_COMMAND(
    "render",
    "draw a sheet of the definition files into a PNG picture",
    "Usage: qx-p2210-cli render KEY [--param TEXT] [--style STYLE] [--model TYPE] [--image FILE]\n"
    "                          [--width W] [--height H] -o OUT.png\n\n"
    "Builds the sheet KEY (its KEY_Style, KEY_BasicCell and KEY_Cells definitions) as the program\n"
    "shows it, on an offscreen surface, and saves the picture as OUT.png.\n\n"
    "  --param TEXT   the sheet parameter, for instance \"Bank 2\" for a channel/bank sheet\n"
    "  --style STYLE  St_ChBank (channel/bank sheet), St_Common (common settings) or none (plain)\n"
    "  --model TYPE   model type 0-3 for the row filters (default: the image's, else 0)\n"
    "  --image FILE   a clone file to show instead of the initial image of the model type\n"
    "  --width W, --height H  picture size (default: the whole sheet, without scroll bars)\n\n"
    "Prints \"OUT.png WxH\" and exits 0. A sheet missing from the definition files exits 1; a\n"
    "refused clone file prints \"error <code>\" and exits with the load command's code.",
    Render);

}  // namespace qx::cli
