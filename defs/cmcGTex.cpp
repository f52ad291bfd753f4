#include "defs/cmcGTex.h"

#include "common/cmcDataDir.h"
#include "common/cmcMessage.h"
#include "defs/cmcGTexStore.h"

namespace qx {

namespace {

// The model code that names both definition files.
constexpr const char* kModelCode = "ZT5531K";

cmcGTex* g_gtexOverride = nullptr;
cmcHelpGTex* g_helpOverride = nullptr;

}  // namespace

cmcGTex::cmcGTex() : store_(new cmcGTexStore) {}
cmcGTex::~cmcGTex() { delete store_; }
bool cmcGTex::SetFileName(const std::string& fileName) { return store_->SetFileName(fileName); }
bool cmcGTex::SetLineList(const std::vector<std::string>* lines) { return store_->SetLineList(lines); }
std::string cmcGTex::Line(const std::string& key, int n) { return store_->Line(key, n); }
std::string cmcGTex::SectionText(const std::string& key) { return store_->SectionText(key); }
bool cmcGTex::HasKey(const std::string& key) { return store_->HasKey(key); }

cmcHelpGTex::cmcHelpGTex() : store_(new cmcGTexStore) {}
cmcHelpGTex::~cmcHelpGTex() { delete store_; }
bool cmcHelpGTex::SetFileName(const std::string& fileName) { return store_->SetFileName(fileName); }
std::string cmcHelpGTex::Line(const std::string& key, int n) { return store_->Line(key, n); }
std::string cmcHelpGTex::SectionText(const std::string& key) { return store_->SectionText(key); }
bool cmcHelpGTex::HasKey(const std::string& key) { return store_->HasKey(key); }

cmcGTex& GTex() {
    static cmcGTex store;
    return g_gtexOverride ? *g_gtexOverride : store;
}

cmcHelpGTex& HelpGTex() {
    static cmcHelpGTex store;
    return g_helpOverride ? *g_helpOverride : store;
}

void SetGTex(cmcGTex* store) { g_gtexOverride = store; }
void SetHelpGTex(cmcHelpGTex* store) { g_helpOverride = store; }

void OpenDefinitionFiles(const std::string& dir) {
    std::string d = dir.empty() ? cmcDataDir() : dir;
    if (d.back() != '/') d.push_back('/');
    GTex().SetFileName(d + kModelCode + ".OVL");
    HelpGTex().SetFileName(d + kModelCode + "H.OVL");
}

}  // namespace qx
