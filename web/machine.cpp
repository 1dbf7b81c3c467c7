// The slot machine compiled for the browser: the shared reel rules, DIB
// reader, placement arithmetic and credit counter, plus what the Win32 glue
// leaves to Windows there: turning pictures into pixels and drawing a tick
// into the back buffer. The page's script feeds it input and shows the
// back buffer; everything it decides is returned, never acted on here.
#include <cstddef>
#include <cstdint>

#include "core/credit_counter.h"
#include "core/dib.h"
#include "core/ids.h"
#include "core/placement.h"
#include "core/reel_bank.h"
#include "core/settings.h"
#include "core/settings_text.h"
#include "core/texts.h"
#include "core/tick.h"
#include "web/pixels.h"

#define EXPORT(name) extern "C" __attribute__((export_name(#name)))

namespace {

// The pictures, by the order of their resource ids from the panel on.
enum Slot { kPanel, kStrip, kLampRunning, kLampStopped, kCongratulations, kSlotCount };

web::Pixels g_pictures[kSlotCount];
app::Settings g_settings = app::DefaultSettings();
int32_t g_creditClicks = 0;
// The answer of the calls that place a window: they return its address,
// where the page reads {int32 x, int32 y} as an Int32Array of two.
app::Origin g_origin;
char g_settingsText[app::kSettingsTextCapacity];

// Everything this module allocates lives until the page goes; only the
// buffer the script hands picture files through is reused.
extern "C" unsigned char __heap_base;
uintptr_t g_heapTop = reinterpret_cast<uintptr_t>(&__heap_base);
constexpr uintptr_t kPageSize = 65536;

void* Allocate(size_t bytes) {
    const uintptr_t start = (g_heapTop + 15) & ~uintptr_t{15};
    if (bytes > UINTPTR_MAX - start) return nullptr;
    const uintptr_t end = start + bytes;
    const uintptr_t have = __builtin_wasm_memory_size(0) * kPageSize;
    if (end > have && __builtin_wasm_memory_grow(0, (end - have + kPageSize - 1) / kPageSize) == SIZE_MAX)
        return nullptr;
    g_heapTop = end;
    return reinterpret_cast<void*>(start);
}

uint8_t* g_transfer = nullptr;
size_t g_transferSize = 0;

app::Extent Screen(int32_t width, int32_t height) { return app::Extent{width, height}; }

}  // namespace

// A buffer of at least the given size for the script to copy a file into.
EXPORT(transfer_buffer) uint8_t* TransferBuffer(uint32_t bytes) {
    if (bytes > g_transferSize) {
        g_transfer = static_cast<uint8_t*>(Allocate(bytes));
        g_transferSize = g_transfer ? bytes : 0;
    }
    return g_transfer;
}

// Decodes the picture file in the transfer buffer into the slot; false,
// and the picture stays absent, when it cannot be read.
EXPORT(picture_load) int PictureLoad(int slot, uint32_t bytes) {
    if (slot < 0 || slot >= kSlotCount || bytes > g_transferSize) return 0;
    return web::DecodePicture(g_transfer, bytes, Allocate, g_pictures[slot]);
}
EXPORT(picture_width) int32_t PictureWidth(int slot) { return g_pictures[slot].width; }
EXPORT(picture_height) int32_t PictureHeight(int slot) { return g_pictures[slot].height; }
EXPORT(picture_pixels) uint32_t* PicturePixels(int slot) { return g_pictures[slot].rgba; }

// The panel's size as the placement keeps it, 16 bits unsigned.
EXPORT(background_width) int32_t BackgroundWidth() { return static_cast<uint16_t>(g_pictures[kPanel].width); }
EXPORT(background_height) int32_t BackgroundHeight() { return static_cast<uint16_t>(g_pictures[kPanel].height); }

EXPORT(start_play) void StartPlay(uint32_t seed) { reels::StartPlay(reels::g_play, seed); }

namespace {

// The tick's copies between pixel buffers: into the panel, which is the
// back buffer, from the picture selected last.
struct PixelSurface {
    web::Pixels* target;
    const web::Pixels* source;
};

void SelectPicture(void* context, reels::Picture picture) {
    const Slot slot = picture == reels::Picture::Strip         ? kStrip
                      : picture == reels::Picture::LampRunning ? kLampRunning
                                                               : kLampStopped;
    static_cast<PixelSurface*>(context)->source = &g_pictures[slot];
}
void CopyPicture(void* context, int x, int y, int width, int height, int sourceX, int sourceY) {
    auto& surface = *static_cast<PixelSurface*>(context);
    web::Copy(*surface.target, x, y, width, height, *surface.source, sourceX, sourceY);
}
void RestoreSource(void*) {}  // pixel buffers are not selected into anything

constexpr reels::DrawingApi kPixelDrawing = {SelectPicture, CopyPicture, RestoreSource};

}  // namespace

// One refresh step into the panel, the back buffer, by the one tick.
EXPORT(tick) void Tick() {
    const web::Pixels& strip = g_pictures[kStrip];
    PixelSurface surface{&g_pictures[kPanel], nullptr};
    reels::DrawTick(reels::g_play.bank,
                    {static_cast<uint16_t>(strip.height),
                     static_cast<uint16_t>(strip.width) / reels::kFigureCount},
                    kPixelDrawing, &surface);
}

// Input, by the rules; 1 when the congratulations picture is to open.
EXPORT(key_down) void KeyDown(uint32_t virtualKey) { reels::OnKeyDown(reels::g_play, virtualKey); }
EXPORT(key_up) int KeyUp() {
    return reels::OnKeyUp(reels::g_play) == reels::Decision::ShowCongratulations;
}
EXPORT(left_button_up) int LeftButtonUp(uint32_t packedPosition) {
    return reels::OnLeftButtonUp(reels::g_play, packedPosition) == reels::Decision::ShowCongratulations;
}
EXPORT(reel_running) int ReelRunning(int reel) { return reels::g_play.bank.running[reel & 3]; }

// The About box's credit line: 0 leaves the text, 1 Latin letters, 2 Japanese.
EXPORT(credit_click) int CreditClick() { return static_cast<int>(ui::CountCreditClick(g_creditClicks)); }

// Settings: read from the kept text, one value at a time by the key order,
// and the text to keep.
EXPORT(settings_read) void SettingsRead(uint32_t bytes) {
    const uint8_t* text = bytes <= g_transferSize ? g_transfer : nullptr;
    if (!text) bytes = 0;
    for (const app::SettingKey& key : app::kSettingKeys)
        g_settings.*key.field = app::ReadProfileInt(text, bytes, app::kSettingsSection, key.name,
                                                    key.defaultValue);
}
EXPORT(setting) int32_t Setting(int index) {
    return index >= 0 && index < app::kSettingKeyCount ? g_settings.*app::kSettingKeys[index].field : 0;
}
EXPORT(set_setting) void SetSetting(int index, int32_t value) {
    if (index >= 0 && index < app::kSettingKeyCount) g_settings.*app::kSettingKeys[index].field = value;
}
EXPORT(settings_text) const char* SettingsText() { return g_settingsText; }
EXPORT(settings_text_length) uint32_t SettingsTextLength() {
    return static_cast<uint32_t>(app::FormatSettingsText(g_settings, g_settingsText));
}

// Placement: the calls that answer with a position return g_origin's address.
EXPORT(outer_width) int32_t OuterWidth(int32_t cxBorder) {
    return app::MainWindowOuterSize(BackgroundWidth(), BackgroundHeight(), {cxBorder, 0, 0}).cx;
}
EXPORT(outer_height) int32_t OuterHeight(int32_t cyBorder, int32_t cyCaption) {
    return app::MainWindowOuterSize(BackgroundWidth(), BackgroundHeight(), {0, cyBorder, cyCaption}).cy;
}
EXPORT(initial_position) const app::Origin* InitialPosition(int32_t cx, int32_t cy, int32_t sw, int32_t sh) {
    g_origin = app::InitialPosition(g_settings.PosX, g_settings.PosY, {cx, cy}, Screen(sw, sh));
    return &g_origin;
}
EXPORT(clamp_proposed) const app::Origin* ClampProposed(int32_t x, int32_t y, int32_t cx, int32_t cy,
                                                        int32_t sw, int32_t sh) {
    g_origin = app::Origin{x, y};
    app::ClampProposedOrigin(g_origin, {cx, cy}, g_settings.FitPos, Screen(sw, sh));
    return &g_origin;
}
EXPORT(remember_position) void RememberPosition(int32_t x, int32_t y, int32_t cx, int32_t cy,
                                                int minimised) {
    if (app::ShouldRememberPosition({cx, cy}, minimised != 0)) {
        g_settings.PosX = x;
        g_settings.PosY = y;
    }
}
EXPORT(centre_over_owner) const app::Origin* CentreOverOwner(int32_t ox, int32_t oy, int32_t ocx, int32_t ocy,
                                                             int32_t cx, int32_t cy, int32_t sw, int32_t sh) {
    g_origin = app::CentreOverOwner({ox, oy}, {ocx, ocy}, {cx, cy}, Screen(sw, sh));
    return &g_origin;
}
// The congratulations picture's place, as on Windows.
EXPORT(centre_on_screen) const app::Origin* CentreOnScreen(int32_t cx, int32_t cy, int32_t sw, int32_t sh) {
    g_origin = app::CentreOnScreen({cx, cy}, Screen(sw, sh));
    return &g_origin;
}

// The program's texts and ids for the page, one "name=value" line each
// (UTF-8, LF, NUL-terminated): the caption, the menu items in order as
// menu.<popup>.<command id> (popup 0 Japanese, 1 English), the About box's
// texts, the credit texts by credit_click's answer, the command ids, the
// settings file's name and the settings' indices for setting/set_setting.
namespace {

#define MUSLOT_DIGITS(id) #id
#define MUSLOT_NUMBER(id) MUSLOT_DIGITS(id)
static_assert(static_cast<int>(ui::CreditText::Latin) == 1 && static_cast<int>(ui::CreditText::Japanese) == 2,
              "credit.N names credit_click's answers");
constexpr char kTexts[] =
    "caption=" TXT_CAPTION "\n"
    "menu.0." MUSLOT_NUMBER(ID_ABOUT) "=" TXT_MENU_ABOUT_JA "\n"
    "menu.0." MUSLOT_NUMBER(ID_EXIT) "=" TXT_MENU_EXIT_JA "\n"
    "menu.1." MUSLOT_NUMBER(ID_ABOUT) "=" TXT_MENU_ABOUT_EN "\n"
    "menu.1." MUSLOT_NUMBER(ID_EXIT) "=" TXT_MENU_EXIT_EN "\n"
    "about.caption.0=" TXT_ABOUT_CAPTION_JA "\n"
    "about.caption.1=" TXT_ABOUT_CAPTION_EN "\n"
    "about.name=" TXT_ABOUT_NAME "\n"
    "about.version=" TXT_ABOUT_VERSION "\n"
    "about.copyright=" TXT_ABOUT_COPYRIGHT "\n"
    "about.ok=" TXT_OK "\n"
    "credit.1=" TXT_CREDIT_LATIN "\n"
    "credit.2=" TXT_CREDIT_JAPANESE "\n"
    "id.about=" MUSLOT_NUMBER(ID_ABOUT) "\n"
    "id.exit=" MUSLOT_NUMBER(ID_EXIT) "\n";
// The file's name, then each key as "setting.<name>=<index>" (one digit).
static_assert(app::kSettingKeyCount <= 10, "one digit per index");
constexpr size_t SettingLinesSize() {
    size_t size = 0;
    for (const app::SettingKey& key : app::kSettingKeys) {
        size += sizeof "setting.=0\n" - 1;
        for (const char* c = key.name; *c; ++c) ++size;
    }
    return size + sizeof "settings.file=\n" + sizeof app::kSettingsFile;
}
char g_texts[sizeof kTexts + SettingLinesSize()];

char* Append(char* out, const char* text) {
    while (*text) *out++ = *text++;
    return out;
}

}  // namespace

EXPORT(texts) const char* Texts() {
    if (g_texts[0]) return g_texts;
    char* out = Append(g_texts, kTexts);
    out = Append(Append(Append(out, "settings.file="), app::kSettingsFile), "\n");
    for (int i = 0; i < app::kSettingKeyCount; ++i) {
        const char line[] = {'=', static_cast<char>('0' + i), '\n', '\0'};
        out = Append(Append(Append(out, "setting."), app::kSettingKeys[i].name), line);
    }
    *out = '\0';
    return g_texts;
}
