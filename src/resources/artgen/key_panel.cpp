#include "key_panel.h"

#include <algorithm>
#include <string_view>

#include "bitmap_font.h"

namespace zv::art {

namespace {

// The colours of one family, by what they paint.
struct Theme {
    const char* model;  // the label on the display bezel
    Rgba ink;           // key outlines, shadows, legends on light keys
    Rgba white;         // highlights, legends on dark keys
    Rgba housing, housingLight, housingShadow;
    Rgba label;  // printing on the housing
    Rgba plate;  // the sunk plates the key groups sit in
    Rgba bezel, bezelLight;
    Rgba lcd;  // the glass, in the LCD window's ground colour
    Rgba keyLight, keyLightDown;           // data keys: face up and down
    Rgba keyDark, keyDarkEdge, keyDarkDown;  // the others: face, its highlight, face down
    Rgba keyDeep;                          // skirts of dark and coloured keys, the lamp off
    Rgba red, green, accent, lamp;
};

const Theme& theme(PanelFamily family) {
    static const Theme an1{
        "AN-1100/1400",
        {0, 0, 0, 255},       {255, 255, 255, 255},
        {198, 201, 206, 255}, {230, 232, 235, 255}, {130, 136, 146, 255},
        {0, 0, 0, 255},
        {78, 88, 104, 255},
        {40, 44, 52, 255},    {92, 98, 110, 255},
        {0x9c, 0xce, 0x6a, 255},
        {238, 238, 232, 255}, {198, 201, 206, 255},
        {58, 64, 76, 255},    {92, 98, 110, 255},   {40, 44, 52, 255},
        {24, 26, 32, 255},
        {200, 52, 44, 255},   {40, 146, 74, 255},  {42, 108, 190, 255}, {255, 196, 48, 255},
    };
    static const Theme an2{
        "AN-2100/2400",
        {0, 0, 0, 255},       {255, 255, 255, 255},
        {72, 77, 86, 255},    {112, 118, 128, 255}, {36, 39, 45, 255},
        {255, 255, 255, 255},
        {48, 52, 60, 255},
        {22, 24, 28, 255},    {112, 118, 128, 255},
        {0x9c, 0xce, 0x6a, 255},
        {214, 218, 224, 255}, {150, 156, 166, 255},
        {64, 78, 102, 255},   {108, 124, 152, 255}, {48, 52, 60, 255},
        {0, 0, 0, 255},
        {204, 58, 46, 255},   {46, 156, 84, 255},  {24, 150, 170, 255}, {255, 196, 48, 255},
    };
    return family == PanelFamily::An1 ? an1 : an2;
}

enum class KeyStyle { Light, Dark, Stop, Run, Shift };

// What a key's up picture shows, by sprite cell.
struct KeyLook {
    int column, row;
    std::string_view legend;  // one character: the bold key font; more: the small font
    KeyStyle style;
};

constexpr std::string_view kPageUp{"PG\x18"};
constexpr std::string_view kPageDown{"PG\x19"};

const std::vector<KeyLook>& keyLooks() {
    static const std::vector<KeyLook> looks{
        {0, 0, "C", KeyStyle::Light},     {1, 0, "D", KeyStyle::Light},     {2, 0, "E", KeyStyle::Light},
        {3, 0, "F", KeyStyle::Light},     {0, 1, "8", KeyStyle::Light},     {1, 1, "9", KeyStyle::Light},
        {2, 1, "A", KeyStyle::Light},     {3, 1, "B", KeyStyle::Light},     {0, 2, "4", KeyStyle::Light},
        {1, 2, "5", KeyStyle::Light},     {2, 2, "6", KeyStyle::Light},     {3, 2, "7", KeyStyle::Light},
        {0, 3, "0", KeyStyle::Light},     {1, 3, "1", KeyStyle::Light},     {2, 3, "2", KeyStyle::Light},
        {3, 3, "3", KeyStyle::Light},
        {4, 0, "MENU", KeyStyle::Dark},   {5, 0, "Y", KeyStyle::Dark},      {6, 0, "TRIG", KeyStyle::Dark},
        {7, 0, "STOP", KeyStyle::Stop},   {8, 0, "RUN", KeyStyle::Run},
        {4, 1, "DEL", KeyStyle::Dark},    {5, 1, "G", KeyStyle::Dark},      {6, 1, "\x18", KeyStyle::Dark},
        {7, 1, kPageUp, KeyStyle::Dark},  {8, 1, "L", KeyStyle::Dark},
        {4, 2, "INS", KeyStyle::Dark},    {5, 2, "\x1b", KeyStyle::Dark},   {6, 2, "ENTER", KeyStyle::Light},
        {7, 2, "\x1a", KeyStyle::Dark},   {8, 2, "K", KeyStyle::Dark},
        {4, 3, "SHIFT", KeyStyle::Shift}, {5, 3, "H", KeyStyle::Dark},      {6, 3, "\x19", KeyStyle::Dark},
        {7, 3, kPageDown, KeyStyle::Dark}, {8, 3, "P", KeyStyle::Dark},
    };
    return looks;
}

struct KeyColours {
    Rgba face, pressedFace, skirt, highlight, legend;
};

KeyColours coloursOf(KeyStyle style, const Theme& t) {
    switch (style) {
        case KeyStyle::Light: return {t.keyLight, t.keyLightDown, t.housingShadow, t.white, t.ink};
        case KeyStyle::Dark: return {t.keyDark, t.keyDarkDown, t.keyDeep, t.keyDarkEdge, t.white};
        case KeyStyle::Stop: return {t.red, t.red, t.keyDeep, t.white, t.white};
        case KeyStyle::Run: return {t.green, t.green, t.keyDeep, t.white, t.white};
        case KeyStyle::Shift: return {t.accent, t.accent, t.keyDeep, t.white, t.white};
    }
    return {};
}

const BitmapFont& fontFor(std::string_view legend) { return legend.size() == 1 ? keyFont() : smallFont(); }

// One key picture in the cell at (x, y) of the sheet: a rounded cap outlined in ink on the
// plate colour. Up, the face sits above a skirt of three rows and a column of shade on the
// right; down, the face drops two rows and one column, its highlight gives way to a shadow
// and a light face turns grey. The Shift key carries a lamp above its legend.
bool drawKey(Image& sheet, int x, int y, int width, int height, const KeyLook& look, bool down, bool lit,
             const Theme& t, std::string& error) {
    const KeyColours c = coloursOf(look.style, t);
    const Rect cell{x, y, width, height};
    fillRect(sheet, cell, t.plate);
    const Rect cap{x + 1, y + 1, width - 2, height - 2};
    outlineRect(sheet, cap, t.ink);
    paintCorners(sheet, cap, t.plate);
    const Rect inner = cap.inset(1);
    fillRect(sheet, inner, c.skirt);
    // The legend is centred on the face as it stands up; down, it moves with the face.
    Rect face{inner.x, inner.y, inner.width - 1, inner.height - 3};
    if (!down) {
        fillRect(sheet, face, c.face);
        edgeRect(sheet, face, c.highlight, c.face);
    } else {
        face.x += 1;
        face.y += 2;
        // The skirt left showing above and left of the sunk face is its shadow.
        fillRect(sheet, {face.x, face.y, face.width, face.height + 1}, c.pressedFace);
    }

    const BitmapFont& font = fontFor(look.legend);
    const int textW = textWidth(font, look.legend, error);
    if (textW < 0) return false;
    const bool lamp = look.style == KeyStyle::Shift;
    constexpr int kLampHeight = 3, kLampGap = 2, kLampWidth = 9;
    const int blockH = font.height + (lamp ? kLampHeight + kLampGap : 0);
    const int top = face.y + (face.height - blockH + 1) / 2;
    const int left = face.x + (face.width - textW + 1) / 2;
    if (lamp) {
        const Rect bulb{face.x + (face.width - kLampWidth + 1) / 2, top, kLampWidth, kLampHeight};
        fillRect(sheet, bulb, lit ? t.lamp : t.keyDeep);
        if (lit) fillRect(sheet, {bulb.x + 1, bulb.y, 2, 1}, t.white);
    }
    return drawText(sheet, font, left, top + blockH - font.height, look.legend, c.legend, error);
}

// Where the groups of keys sit: each plate is the box around its keys' windows.
struct Group {
    int firstColumn, lastColumn, firstRow, lastRow;
    std::string_view name;  // printed above the plate when it starts in row 0, else below
};

const std::vector<Group>& groups() {
    static const std::vector<Group> all{
        {0, 3, 0, 3, "DATA"},     {4, 5, 0, 0, "FUNCTION"}, {6, 8, 0, 0, "MEASUREMENT"},
        {4, 4, 1, 3, "EDIT"},     {5, 7, 1, 3, "CURSOR"},   {8, 8, 1, 3, ""},
    };
    return all;
}

constexpr int kPlateMargin = 4;

Rect plateOf(PanelFamily family, const Group& g) {
    int x0 = kPanelWidth, y0 = kPanelHeight, x1 = 0, y1 = 0;
    for (const auto& key : panelKeys()) {
        if (key.column < g.firstColumn || key.column > g.lastColumn || key.row < g.firstRow || key.row > g.lastRow)
            continue;
        const Rect w = keyWindow(family, key);
        x0 = std::min(x0, w.x);
        y0 = std::min(y0, w.y);
        x1 = std::max(x1, w.right());
        y1 = std::max(y1, w.bottom());
    }
    return {x0 - kPlateMargin, y0 - kPlateMargin, x1 - x0 + 2 * kPlateMargin, y1 - y0 + 2 * kPlateMargin};
}

void drawScrew(Image& image, int x, int y, const Theme& t) {
    // A 7 x 7 round head with a slot.
    fillRect(image, {x + 1, y, 5, 7}, t.housingShadow);
    fillRect(image, {x, y + 1, 7, 5}, t.housingShadow);
    fillRect(image, {x + 1, y + 1, 5, 5}, t.housingLight);
    fillRect(image, {x + 1, y + 3, 5, 1}, t.housingShadow);
}

// The colours the theme uses, each once, in the order the fields are listed.
std::vector<Rgba> themeColours(const Theme& t) {
    std::vector<Rgba> out;
    for (const Rgba c : {t.ink, t.white, t.housing, t.housingLight, t.housingShadow, t.label, t.plate, t.bezel,
                         t.bezelLight, t.lcd, t.keyLight, t.keyLightDown, t.keyDark, t.keyDarkEdge, t.keyDarkDown,
                         t.keyDeep, t.red, t.green, t.accent, t.lamp}) {
        if (std::find(out.begin(), out.end(), c) == out.end()) out.push_back(c);
    }
    return out;
}

bool checkColours(PanelFamily family, std::string& error) {
    if (themeColours(theme(family)).size() > 16) {
        error = std::string("the colours of ") + theme(family).model + " are more than 16";
        return false;
    }
    return true;
}

}  // namespace

const std::vector<PanelKey>& panelKeys() {
    static const std::vector<PanelKey> keys{
        {304, 336, 4, 3},                                                    // Shift
        {44, 336, 0, 3},  {102, 336, 1, 3}, {160, 336, 2, 3}, {218, 336, 3, 3},  // 0-3
        {44, 295, 0, 2},  {102, 295, 1, 2}, {160, 295, 2, 2}, {218, 295, 3, 2},  // 4-7
        {44, 254, 0, 1},  {102, 254, 1, 1}, {160, 254, 2, 1}, {218, 254, 3, 1},  // 8, 9, A, B
        {44, 213, 0, 0},  {102, 213, 1, 0}, {160, 213, 2, 0}, {218, 213, 3, 0},  // C-F
        {304, 213, 4, 0}, {362, 213, 5, 0}, {420, 213, 6, 0}, {478, 213, 7, 0}, {536, 213, 8, 0},
        {304, 254, 4, 1}, {304, 295, 4, 2}, {362, 254, 5, 1}, {362, 336, 5, 3},
        {362, 295, 5, 2}, {420, 254, 6, 1}, {420, 336, 6, 3}, {478, 295, 7, 2},  // arrows
        {478, 254, 7, 1}, {478, 336, 7, 3}, {420, 295, 6, 2},                    // pages, Enter
        {536, 254, 8, 1}, {536, 295, 8, 2}, {536, 336, 8, 3},
    };
    return keys;
}

int sheetWidth(PanelFamily family) { return family == PanelFamily::An1 ? 390 : 430; }
int sheetHeight(PanelFamily family) { return family == PanelFamily::An1 ? 200 : 216; }

Rect keyWindow(PanelFamily family, const PanelKey& key) {
    return {key.centreX - sheetWidth(family) / 20, key.centreY - sheetHeight(family) / 16,
            sheetWidth(family) / kSpriteColumns, sheetHeight(family) / kSpriteRows};
}

std::vector<Rgba> panelPalette(PanelFamily family) { return themeColours(theme(family)); }

Image keySpriteSheet(PanelFamily family, std::string& error) {
    error.clear();
    if (!checkColours(family, error)) return {};
    const Theme& t = theme(family);
    const int w = sheetWidth(family) / kSpriteColumns, h = sheetHeight(family) / kSpriteRows;
    Image sheet(sheetWidth(family), sheetHeight(family));
    fillRect(sheet, {0, 0, sheet.width(), sheet.height()}, t.housing);
    for (const auto& look : keyLooks()) {
        for (const bool down : {false, true}) {
            const int row = look.row + (down ? kDownRows : 0);
            if (!drawKey(sheet, look.column * w, row * h, w, h, look, down, false, t, error)) return {};
            if (look.style == KeyStyle::Shift &&
                !drawKey(sheet, (look.column + kLatchedColumns) * w, row * h, w, h, look, down, true, t, error))
                return {};
        }
    }
    return sheet;
}

Image panelBackground(PanelFamily family, std::string& error) {
    error.clear();
    if (!checkColours(family, error)) return {};
    const Theme& t = theme(family);
    Image image(kPanelWidth, kPanelHeight);
    const Rect whole{0, 0, kPanelWidth, kPanelHeight};
    fillRect(image, whole, t.housing);
    outlineRect(image, whole, t.ink);
    edgeRect(image, whole.inset(1), t.housingLight, t.housingShadow);
    edgeRect(image, whole.inset(2), t.housingLight, t.housingShadow);
    for (const int x : {8, kPanelWidth - 15})
        for (const int y : {5, kPanelHeight - 12}) drawScrew(image, x, y, t);

    // The display bezel: raised, dark, with the glass sunk into it and the model on its chin.
    const Rect bezel{34, 14, 514, 168};
    edgeRect(image, {bezel.x - 1, bezel.y - 1, bezel.width + 2, bezel.height + 2}, t.housingShadow, t.housingLight);
    fillRect(image, bezel, t.bezel);
    edgeRect(image, bezel, t.bezelLight, t.ink);
    const Rect recess{kLcdWindow.x - 7, kLcdWindow.y - 7, kLcdWindow.width + 14, kLcdWindow.height + 14};
    edgeRect(image, recess, t.ink, t.bezelLight);
    edgeRect(image, recess.inset(1), t.keyDeep, t.bezelLight);
    outlineRect(image, recess.inset(2), t.ink);
    fillRect(image, recess.inset(3), t.lcd);

    const int chinTop = recess.bottom(), chinBottom = bezel.bottom() - 1;
    const int modelY = chinTop + (chinBottom - chinTop - keyFont().height) / 2;
    if (!drawText(image, keyFont(), kLcdWindow.x, modelY, t.model, t.white, error)) return {};
    constexpr std::string_view kKind{"CAN / LIN BUS ANALYZER"};
    const int kindW = textWidth(smallFont(), kKind, error);
    if (kindW < 0 ||
        !drawText(image, smallFont(), kLcdWindow.right() - kindW, modelY + 1, kKind, t.bezelLight, error))
        return {};

    for (const auto& g : groups()) {
        const Rect plate = plateOf(family, g);
        fillRect(image, plate, t.plate);
        edgeRect(image, {plate.x - 1, plate.y - 1, plate.width + 2, plate.height + 2}, t.housingShadow,
                 t.housingLight);
        if (g.name.empty()) continue;
        const int y = g.firstRow == 0 ? plate.y - 3 - smallFont().height : plate.bottom() + 4;
        if (!drawText(image, smallFont(), plate.x + 1, y, g.name, t.label, error)) return {};
    }
    return image;
}

Image panelPreview(PanelFamily family, std::string& error) {
    Image image = panelBackground(family, error);
    if (!error.empty()) return {};
    const Image sheet = keySpriteSheet(family, error);
    if (!error.empty()) return {};
    for (const auto& key : panelKeys()) {
        const Rect window = keyWindow(family, key);
        const int left = key.column * window.width, top = key.row * window.height;
        for (int y = 0; y < window.height; ++y)
            for (int x = 0; x < window.width; ++x) image.set(window.x + x, window.y + y, sheet.at(left + x, top + y));
    }
    return image;
}

}  // namespace zv::art
