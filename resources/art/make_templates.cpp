// Writes the card templates the program ships in its "qrdt" folder into the
// folder given on the command line:
//
//     make_templates <output folder>
//
// A template is an INI file of named sections: the personal-information
// texts (Name, Company, Title, Address1-3, Phone1-2, Email, Fax), which a new
// design fills with the user's own data, further texts (Label1..15), shapes
// (Shape1..15), lines (Line1..15), barcodes (Code1..15), an optional logo and the card data
// (orientation and background picture of the "bg" folder). Positions are
// pixels of a card of 3.5 by 2 inches at 96 pixels per inch: 336 × 192
// lying, 192 × 336 standing ("Portrait Mode"). Every text is given room for
// long names and addresses; a short one simply leaves more white.
//
// Plain C++ without libraries: the output depends on nothing but this file.
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string rgb(int r, int g, int b)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%.8x", unsigned(b << 16 | g << 8 | r));
    return buf;
}

// Alignment of a text object.
constexpr int Left = 0;
constexpr int Right = 1;
constexpr int Centre = 2;

// Shape kinds.
constexpr int Rectangle = 0;
constexpr int RoundRect = 2;
constexpr int Ellipse = 4;

// Line kinds.
constexpr int Horizontal = 0;
constexpr int Vertical = 1;

const char* defaultCaption(const std::string& section)
{
    static const char* const pairs[][2] = {
        {"Name", "Your Own Name"}, {"Company", "Your Business Name"}, {"Title", "Title or Qualifications"},
        {"Address1", "Address Line One"}, {"Address2", "Address Line Two"}, {"Address3", "Address Line Three"},
        {"Phone1", "Phone One"}, {"Phone2", "Phone Two"}, {"Email", "Email Address"}, {"Fax", "Fax Number"},
    };
    for (const auto& p : pairs)
        if (section == p[0])
            return p[1];
    return nullptr;
}

struct Text {
    std::string font = "Arial";
    int size = 9;
    std::string colour = "clBlack";
    bool bold = false;
    bool italic = false;
    int align = Left;
};

class Template {
public:
    Template(std::string file, std::string background = {}, bool portrait = false)
        : file(std::move(file)), background(std::move(background)), portrait(portrait)
    {
    }

    // A personal-information text (section "Name" ... "Fax") or, with a
    // caption, a further text ("Label" + n).
    Template& text(const std::string& section, int x, int y, int w, const Text& t, const std::string& caption = {})
    {
        std::string name = section;
        std::string shown = caption;
        if (section == "Label")
            name = "Label" + std::to_string(++labels);
        else
            shown = defaultCaption(section);
        // Room across the text for its line: the object keeps it between the
        // font's extent and 1.2 times it in any case.
        const int h = t.size * 2 + 2;
        std::string style = "[";
        if (t.bold)
            style += "fsBold";
        if (t.italic)
            style += std::string(t.bold ? "," : "") + "fsItalic";
        style += "]";
        out += "[" + name + "]\n";
        out += "Type=psLabel\n";
        out += "Caption=" + shown + "\n";
        bounds(x, y, w, h);
        out += "Font Name=" + t.font + "\n";
        out += "Font Size=" + std::to_string(t.size) + "\n";
        out += "Font Color=" + t.colour + "\n";
        out += "Font Style=" + style + "\n";
        out += "Alignment=" + std::to_string(t.align) + "\n";
        out += "Highlight Depth=0\nShadow Depth=0\nHighlight Direction=4\nShadow Direction=4\n";
        out += "Highlight Color=clWhite\nShadow Color=clGray\nAngle=0\nTransparent=1\n";
        out += "Background Color=clWhite\nBorder Style=0\n\n";
        return *this;
    }

    // A filled shape without a visible outline, or (fill empty) an outline.
    Template& shape(int kind, int x, int y, int w, int h, const std::string& fill, const std::string& pen = {},
        int penWidth = 1)
    {
        out += "[Shape" + std::to_string(++shapes) + "]\n";
        out += std::string("Type=") + (kind == Rectangle ? "stRectangle" : kind == RoundRect ? "stRoundRect" : "stEllipse")
            + "\n";
        bounds(x, y, w, h);
        out += std::string("Transparent=") + (fill.empty() ? "1" : "0") + "\n";
        out += "Round Percent=25\n";
        out += "Shape=" + std::to_string(kind) + "\n";
        out += std::string("Brush Style=") + (fill.empty() ? "1" : "0") + "\n";
        out += "Brush Color=" + (fill.empty() ? std::string("clWhite") : fill) + "\n";
        out += "Pen Color=" + (pen.empty() ? fill : pen) + "\n";
        out += "Pen Width=" + std::to_string(penWidth) + "\n\n";
        return *this;
    }

    // A horizontal line along the top of its box, or a vertical one down its
    // left side.
    Template& line(int kind, int x, int y, int length, const std::string& colour, int width = 1)
    {
        out += "[Line" + std::to_string(++lines) + "]\n";
        out += "Type=psLine\n";
        if (kind == Horizontal)
            bounds(x, y, length, 15);
        else
            bounds(x, y, 10, length);
        out += "Line Style=" + std::to_string(kind) + "\n";
        out += "Pen Color=" + colour + "\n";
        out += "Pen Width=" + std::to_string(width) + "\n\n";
        return *this;
    }

    // The logo placeholder: a circle of half an inch with "YOUR LOGO" on a
    // white square (on a coloured ground, give it a white tile behind).
    Template& logo(int x, int y)
    {
        out += "[Logo]\nType=psImage\n";
        bounds(x, y, 48, 48);
        out += "\n";
        return *this;
    }

    // A QR Code of the user's vCard, built from the personal information
    // when the template is opened; dark modules on a white square.
    Template& vcardCode(int x, int y, int side, const std::string& colour = "clBlack")
    {
        out += "[Code" + std::to_string(++codes) + "]\n";
        out += "Type=psBarcode\n";
        bounds(x, y, side, side);
        out += "Symbology=bsQRCode\nContent=bcVCard\nError Level=ecM\n";
        out += "Color=" + colour + "\nBackground Color=clWhite\nTransparent=0\n\n";
        return *this;
    }

    bool write(const std::string& folder) const
    {
        std::string all = out;
        all += "[Card Data]\n";
        all += std::string("Portrait Mode=") + (portrait ? "1" : "0") + "\n";
        all += "Background File=" + background + "\n";
        // Windows line ends: the files are also read by editors of that world.
        std::string crlf;
        for (char c : all) {
            if (c == '\n')
                crlf += '\r';
            crlf += c;
        }
        FILE* f = std::fopen((folder + "/" + file).c_str(), "wb");
        if (!f)
            return false;
        const bool ok = std::fwrite(crlf.data(), 1, crlf.size(), f) == crlf.size();
        return std::fclose(f) == 0 && ok;
    }

    const std::string& name() const { return file; }

private:
    void bounds(int x, int y, int w, int h)
    {
        out += "Left=" + std::to_string(x) + "\nTop=" + std::to_string(y) + "\nWidth=" + std::to_string(w)
            + "\nHeight=" + std::to_string(h) + "\n";
    }

    std::string file;
    std::string background;
    bool portrait;
    std::string out;
    int shapes = 0;
    int lines = 0;
    int labels = 0;
    int codes = 0;
};

Text font(const std::string& name, int size, const std::string& colour = "clBlack", int align = Left, bool bold = false,
    bool italic = false)
{
    Text t;
    t.font = name;
    t.size = size;
    t.colour = colour;
    t.align = align;
    t.bold = bold;
    t.italic = italic;
    return t;
}

Text arial(int size, const std::string& colour = "clBlack", int align = Left, bool bold = false, bool italic = false)
{
    return font("Arial", size, colour, align, bold, italic);
}

Text times(int size, const std::string& colour = "clBlack", int align = Left, bool bold = false, bool italic = false)
{
    return font("Times New Roman", size, colour, align, bold, italic);
}

std::vector<Template> templates()
{
    std::vector<Template> all;

    // Classic: centred serif lines inside a double rule.
    {
        const std::string navy = rgb(28, 44, 92);
        Template t("Classic.QRDT", "ClassicBorder.WMF");
        t.text("Company", 22, 22, 292, times(11, navy, Centre, true))
            .text("Name", 22, 42, 292, times(15, "clBlack", Centre, true))
            .text("Title", 22, 69, 292, times(9, "clGray", Centre, false, true))
            .line(Horizontal, 138, 90, 60, navy)
            .text("Address1", 22, 96, 292, arial(8, "clBlack", Centre))
            .text("Address2", 22, 109, 292, arial(8, "clBlack", Centre))
            .text("Address3", 22, 122, 292, arial(8, "clBlack", Centre))
            .text("Phone1", 22, 140, 146, arial(8, "clBlack", Centre))
            .text("Fax", 168, 140, 146, arial(8, "clBlack", Centre))
            .text("Email", 22, 153, 292, arial(8, navy, Centre));
        all.push_back(t);
    }
    // Modern: an orange edge, left-aligned type, contact block in two columns.
    {
        const std::string orange = rgb(232, 118, 34), ink = rgb(40, 44, 52);
        Template t("ModernAccent.QRDT");
        t.shape(Rectangle, 0, 0, 12, 192, orange)
            .text("Name", 28, 20, 300, arial(15, ink, Left, true))
            .text("Title", 28, 50, 300, arial(9, orange))
            .line(Horizontal, 28, 72, 60, orange, 2)
            .text("Company", 28, 82, 300, arial(10, ink, Left, true))
            .text("Address1", 28, 112, 172, arial(8, ink))
            .text("Address2", 28, 125, 172, arial(8, ink))
            .text("Address3", 28, 138, 172, arial(8, ink))
            .text("Phone1", 200, 112, 126, arial(8, ink, Right))
            .text("Phone2", 200, 125, 126, arial(8, ink, Right))
            .text("Fax", 200, 138, 126, arial(8, ink, Right))
            .text("Email", 28, 162, 298, arial(8, orange, Left, true));
        all.push_back(t);
    }
    // Bold colour band across the top carrying the business name.
    {
        const std::string navy = rgb(20, 38, 82), pale = rgb(190, 205, 235), grey = rgb(90, 96, 110);
        Template t("BoldBand.QRDT");
        t.shape(Rectangle, 0, 0, 336, 64, navy)
            .text("Company", 16, 10, 304, arial(13, "clWhite", Left, true))
            .text("Title", 16, 38, 304, arial(9, pale))
            .text("Name", 16, 74, 304, arial(14, navy, Left, true))
            .line(Horizontal, 16, 102, 304, "clSilver")
            .text("Address1", 16, 110, 170, arial(8, grey))
            .text("Address2", 16, 123, 170, arial(8, grey))
            .text("Address3", 16, 136, 170, arial(8, grey))
            .text("Phone1", 186, 110, 134, arial(8, grey, Right))
            .text("Phone2", 186, 123, 134, arial(8, grey, Right))
            .text("Fax", 186, 136, 134, arial(8, grey, Right))
            .text("Email", 16, 162, 304, arial(9, navy, Left, true));
        all.push_back(t);
    }
    // Navy header picture: name in white on the header, the rest below.
    {
        const std::string gold = rgb(232, 174, 62), navy = rgb(20, 38, 82), grey = rgb(70, 78, 96);
        Template t("NavyHeader.QRDT", "NavyHeader.BMP");
        t.text("Name", 18, 10, 300, arial(15, "clWhite", Left, true))
            .text("Title", 18, 40, 300, arial(9, gold))
            .text("Company", 18, 82, 300, arial(10, navy, Left, true))
            .text("Address1", 18, 106, 170, arial(8, grey))
            .text("Address2", 18, 119, 170, arial(8, grey))
            .text("Address3", 18, 132, 170, arial(8, grey))
            .text("Phone1", 190, 106, 130, arial(8, grey, Right))
            .text("Phone2", 190, 119, 130, arial(8, grey, Right))
            .text("Fax", 190, 132, 130, arial(8, grey, Right))
            .text("Email", 18, 158, 300, arial(9, navy));
        all.push_back(t);
    }
    // Photographer: a black card, serif name, a gold rule.
    {
        const std::string gold = rgb(206, 170, 90), light = rgb(214, 214, 214);
        Template t("Photographer.QRDT");
        t.shape(Rectangle, 0, 0, 336, 192, rgb(22, 22, 24))
            .text("Name", 22, 20, 292, times(16, "clWhite"))
            .text("Title", 22, 52, 292, times(10, gold, Left, false, true))
            .text("Company", 22, 72, 292, arial(9, light, Left, true))
            .line(Horizontal, 22, 100, 292, gold)
            .text("Phone1", 22, 110, 140, arial(8, light))
            .text("Phone2", 22, 123, 140, arial(8, light))
            .text("Address1", 164, 110, 150, arial(8, light, Right))
            .text("Address2", 164, 123, 150, arial(8, light, Right))
            .text("Address3", 164, 136, 150, arial(8, light, Right))
            .text("Email", 22, 158, 292, arial(8, gold))
            .text("Label", 22, 171, 292, arial(7, "clGray"), "www.yourwebsite.com");
        all.push_back(t);
    }
    // Trades: a large phone number and a yellow safety band at the foot.
    {
        const std::string yellow = rgb(255, 200, 0), dark = rgb(30, 30, 30);
        Template t("Trades.QRDT");
        t.shape(Rectangle, 0, 150, 336, 42, yellow)
            .line(Horizontal, 0, 146, 336, dark, 4)
            .text("Company", 16, 10, 304, arial(14, dark, Left, true))
            .text("Name", 16, 38, 304, arial(10, dark, Left, true))
            .text("Title", 16, 56, 304, arial(8, "clGray"))
            .text("Phone1", 16, 76, 304, arial(14, dark, Left, true))
            .text("Address1", 16, 104, 304, arial(7, dark))
            .text("Address2", 16, 116, 304, arial(7, dark))
            .text("Address3", 16, 128, 304, arial(7, dark))
            .text("Email", 16, 156, 304, arial(8, dark, Left, true))
            .text("Fax", 16, 171, 150, arial(7, dark))
            .text("Phone2", 166, 170, 154, arial(8, dark, Right, true));
        all.push_back(t);
    }
    // Minimal: a name in the middle, a hairline, two contact lines.
    {
        const std::string ink = rgb(34, 34, 34), grey = rgb(120, 120, 120);
        Template t("Minimal.QRDT");
        t.text("Company", 16, 18, 304, arial(8, grey, Centre, true))
            .text("Name", 16, 62, 304, arial(14, ink, Centre))
            .text("Title", 16, 88, 304, arial(8, grey, Centre))
            .line(Horizontal, 148, 114, 40, "clSilver")
            .text("Phone1", 16, 138, 304, arial(8, ink, Centre))
            .text("Email", 16, 152, 304, arial(8, ink, Centre))
            .text("Address1", 16, 166, 304, arial(7, grey, Centre));
        all.push_back(t);
    }
    // Standing card: a teal block with the logo, the text centred below it.
    {
        const std::string teal = rgb(24, 112, 118), ink = rgb(30, 50, 54);
        Template t("VerticalTeal.QRDT", {}, true);
        t.shape(Rectangle, 0, 0, 192, 100, teal)
            .shape(RoundRect, 68, 22, 56, 56, "clWhite")
            .logo(72, 26)
            .text("Name", 4, 112, 184, arial(9, teal, Centre, true))
            .text("Title", 6, 134, 180, arial(8, "clGray", Centre, false, true))
            .line(Horizontal, 76, 156, 40, teal, 2)
            .text("Company", 6, 166, 180, arial(9, ink, Centre, true))
            .text("Address1", 6, 194, 180, arial(7, ink, Centre))
            .text("Address2", 6, 206, 180, arial(7, ink, Centre))
            .text("Address3", 6, 218, 180, arial(7, ink, Centre))
            .text("Phone1", 6, 240, 180, arial(7, ink, Centre))
            .text("Phone2", 6, 252, 180, arial(7, ink, Centre))
            .text("Fax", 6, 264, 180, arial(7, ink, Centre))
            .text("Email", 6, 290, 180, arial(7, teal, Centre, true));
        all.push_back(t);
    }
    // Standing card with a green sprig: a garden or florist's card.
    {
        const std::string green = rgb(52, 112, 60), ink = rgb(50, 60, 50);
        Template t("VerticalLeaves.QRDT", "GreenLeaves.WMF", true);
        t.text("Company", 4, 130, 184, times(10, green, Centre, true))
            .text("Name", 4, 156, 184, times(10, ink, Centre))
            .text("Title", 6, 180, 180, times(8, "clGray", Centre, false, true))
            .text("Address1", 6, 210, 180, arial(7, ink, Centre))
            .text("Address2", 6, 222, 180, arial(7, ink, Centre))
            .text("Address3", 6, 234, 180, arial(7, ink, Centre))
            .text("Phone1", 6, 256, 180, arial(7, ink, Centre))
            .text("Phone2", 6, 268, 180, arial(7, ink, Centre))
            .text("Email", 6, 292, 180, arial(7, green, Centre, true));
        all.push_back(t);
    }
    // Teal waves along the foot: a calm card for health and wellbeing.
    {
        const std::string teal = rgb(24, 112, 118), ink = rgb(40, 60, 64);
        Template t("TealWave.QRDT", "TealWave.WMF");
        t.text("Name", 16, 16, 304, times(15, teal, Centre, true))
            .text("Title", 16, 42, 304, arial(8, "clGray", Centre, false, true))
            .text("Company", 16, 58, 304, arial(9, ink, Centre, true))
            .text("Address1", 16, 84, 150, arial(7, ink))
            .text("Address2", 16, 96, 150, arial(7, ink))
            .text("Address3", 16, 108, 150, arial(7, ink))
            .text("Phone1", 170, 84, 150, arial(7, ink, Right))
            .text("Phone2", 170, 96, 150, arial(7, ink, Right))
            .text("Email", 170, 108, 150, arial(7, teal, Right, true));
        all.push_back(t);
    }
    // Gold flourishes in two corners, centred serif type.
    {
        const std::string brown = rgb(96, 64, 24), ink = rgb(60, 48, 36);
        Template t("CornerFlourish.QRDT", "CornerFlourish.WMF");
        t.text("Company", 40, 22, 256, times(10, brown, Centre, true))
            .text("Name", 32, 44, 272, times(15, ink, Centre, false, true))
            .text("Title", 40, 74, 256, times(9, "clGray", Centre, false, true))
            .text("Address1", 60, 100, 216, times(8, ink, Centre))
            .text("Address2", 60, 112, 216, times(8, ink, Centre))
            .text("Address3", 60, 124, 216, times(8, ink, Centre))
            .text("Phone1", 60, 142, 216, times(8, ink, Centre))
            .text("Email", 60, 154, 216, times(8, brown, Centre, false, true));
        all.push_back(t);
    }
    // Geometric corner: left-aligned modern type below the triangles.
    {
        const std::string charcoal = rgb(52, 56, 64), orange = rgb(230, 118, 30);
        Template t("GeoCorner.QRDT", "GeoCorner.WMF");
        t.text("Name", 20, 20, 238, arial(13, charcoal, Left, true))
            .text("Title", 20, 46, 230, arial(9, orange))
            .text("Company", 20, 64, 230, arial(9, charcoal, Left, true))
            .text("Address1", 20, 100, 160, arial(7, charcoal))
            .text("Address2", 20, 112, 160, arial(7, charcoal))
            .text("Address3", 20, 124, 160, arial(7, charcoal))
            .text("Phone1", 180, 100, 140, arial(7, charcoal, Right))
            .text("Phone2", 180, 112, 140, arial(7, charcoal, Right))
            .text("Fax", 180, 124, 140, arial(7, charcoal, Right))
            .text("Email", 20, 150, 300, arial(8, orange, Left, true));
        all.push_back(t);
    }
    // A bold burgundy stripe on the right carrying the logo.
    {
        const std::string burgundy = rgb(128, 24, 48), ink = rgb(50, 40, 44);
        Template t("BoldStripe.QRDT", "BoldStripe.WMF");
        t.shape(RoundRect, 268, 18, 56, 56, "clWhite")
            .logo(272, 22)
            .text("Name", 16, 18, 228, arial(12, burgundy, Left, true))
            .text("Title", 16, 40, 210, arial(8, "clGray"))
            .text("Company", 16, 58, 200, arial(9, ink, Left, true))
            .text("Address1", 16, 92, 190, arial(7, ink))
            .text("Address2", 16, 104, 190, arial(7, ink))
            .text("Address3", 16, 116, 190, arial(7, ink))
            .text("Phone1", 16, 134, 180, arial(7, ink))
            .text("Phone2", 16, 146, 180, arial(7, ink))
            .text("Email", 16, 164, 180, arial(7, burgundy, Left, true));
        all.push_back(t);
    }
    // Slate band on the left with the logo; the text to its right.
    {
        const std::string slate = rgb(44, 58, 74), gold = rgb(176, 136, 56);
        Template t("SlateBand.QRDT", "SlateBand.BMP");
        t.shape(RoundRect, 12, 16, 56, 56, "clWhite")
            .logo(16, 20)
            .text("Name", 94, 18, 232, arial(12, slate, Left, true))
            .text("Title", 94, 44, 232, arial(8, gold))
            .text("Company", 94, 62, 232, arial(9, slate, Left, true))
            .line(Horizontal, 94, 86, 226, "clSilver")
            .text("Address1", 94, 94, 232, arial(7, slate))
            .text("Address2", 94, 106, 232, arial(7, slate))
            .text("Address3", 94, 118, 232, arial(7, slate))
            .text("Phone1", 94, 136, 232, arial(7, slate))
            .text("Phone2", 94, 148, 232, arial(7, slate))
            .text("Fax", 94, 160, 232, arial(7, slate))
            .text("Email", 94, 172, 232, arial(7, gold, Left, true));
        all.push_back(t);
    }
    // Art deco frame: black and gold, centred serif capitals.
    {
        const std::string gold = rgb(160, 124, 48), ink = rgb(24, 24, 28);
        Template t("ArtDeco.QRDT", "DecoFrame.WMF");
        t.text("Company", 40, 22, 256, times(10, gold, Centre, true))
            .text("Name", 32, 44, 272, times(14, ink, Centre, true))
            .text("Title", 40, 72, 256, times(9, gold, Centre, false, true))
            .text("Address1", 48, 98, 240, arial(7, ink, Centre))
            .text("Address2", 48, 110, 240, arial(7, ink, Centre))
            .text("Address3", 48, 122, 240, arial(7, ink, Centre))
            .text("Phone1", 48, 140, 120, arial(7, ink, Centre))
            .text("Phone2", 168, 140, 120, arial(7, ink, Centre))
            .text("Email", 48, 154, 240, arial(7, ink, Centre, true));
        all.push_back(t);
    }
    // Linen paper: a professional's card, serif type beside a rule.
    {
        const std::string ink = rgb(40, 40, 48), wine = rgb(110, 30, 40);
        Template t("LinenProfessional.QRDT", "Linen.BMP");
        t.line(Vertical, 24, 20, 152, wine, 2)
            .text("Name", 36, 20, 290, times(15, ink, Left, true))
            .text("Title", 36, 46, 290, times(9, wine, Left, false, true))
            .text("Company", 36, 64, 290, times(10, ink))
            .text("Address1", 36, 98, 290, times(8, ink))
            .text("Address2", 36, 110, 290, times(8, ink))
            .text("Address3", 36, 122, 290, times(8, ink))
            .text("Phone1", 36, 142, 145, times(8, ink))
            .text("Fax", 181, 142, 145, times(8, ink))
            .text("Email", 36, 156, 290, times(8, wine, Left, false, true));
        all.push_back(t);
    }
    // Old parchment: a shop or bakery, centred serif type in brown.
    {
        const std::string brown = rgb(92, 56, 24), ink = rgb(66, 44, 24);
        Template t("Parchment.QRDT", "Parchment.BMP");
        t.text("Company", 24, 20, 288, times(14, brown, Centre, true))
            .text("Label", 24, 46, 288, times(8, ink, Centre, false, true), "Established 1998")
            .line(Horizontal, 128, 66, 80, brown)
            .text("Name", 24, 74, 288, times(11, ink, Centre))
            .text("Title", 24, 94, 288, times(8, ink, Centre, false, true))
            .text("Address1", 24, 116, 288, times(8, ink, Centre))
            .text("Address2", 24, 128, 288, times(8, ink, Centre))
            .text("Address3", 24, 140, 288, times(8, ink, Centre))
            .text("Phone1", 24, 158, 288, times(8, brown, Centre, true));
        all.push_back(t);
    }
    // Standing card on a sky-blue wash.
    {
        const std::string navy = rgb(24, 60, 110), ink = rgb(40, 50, 64);
        Template t("VerticalSky.QRDT", "SkyGradient.BMP", true);
        t.shape(Ellipse, 76, 24, 40, 40, navy, navy)
            .shape(Ellipse, 84, 32, 24, 24, "clWhite", "clWhite")
            .text("Name", 4, 80, 184, arial(9, navy, Centre, true))
            .text("Title", 6, 102, 180, arial(8, ink, Centre))
            .text("Company", 6, 120, 180, arial(9, navy, Centre, true))
            .line(Horizontal, 66, 148, 60, navy)
            .text("Address1", 6, 160, 180, arial(7, ink, Centre))
            .text("Address2", 6, 172, 180, arial(7, ink, Centre))
            .text("Address3", 6, 184, 180, arial(7, ink, Centre))
            .text("Phone1", 6, 210, 180, arial(8, navy, Centre, true))
            .text("Phone2", 6, 226, 180, arial(7, ink, Centre))
            .text("Fax", 6, 238, 180, arial(7, ink, Centre))
            .text("Email", 6, 264, 180, arial(7, navy, Centre))
            .text("Label", 6, 300, 180, arial(7, "clGray", Centre), "www.yourwebsite.com");
        all.push_back(t);
    }
    // A frame of dots with a rounded panel for the name: cleaning, services.
    {
        const std::string blue = rgb(70, 96, 140), pale = rgb(226, 234, 246), ink = rgb(40, 48, 60);
        Template t("DotFrame.QRDT", "DotFrame.WMF");
        t.shape(RoundRect, 28, 24, 280, 58, pale, blue)
            .text("Company", 36, 30, 264, arial(12, blue, Centre, true))
            .text("Name", 36, 54, 264, arial(9, ink, Centre))
            .text("Title", 28, 88, 280, arial(8, "clGray", Centre, false, true))
            .text("Address1", 28, 106, 140, arial(7, ink))
            .text("Address2", 28, 118, 140, arial(7, ink))
            .text("Address3", 28, 130, 140, arial(7, ink))
            .text("Phone1", 168, 106, 140, arial(7, ink, Right))
            .text("Phone2", 168, 118, 140, arial(7, ink, Right))
            .text("Fax", 168, 130, 140, arial(7, ink, Right))
            .text("Email", 28, 150, 280, arial(8, blue, Centre, true));
        all.push_back(t);
    }
    // Pinstripes and a round emblem: finance, insurance, law.
    {
        const std::string navy = rgb(26, 40, 70), green = rgb(30, 92, 70);
        Template t("PinstripeFinance.QRDT", "Pinstripe.BMP");
        t.shape(Ellipse, 20, 20, 36, 36, green, green)
            .shape(Ellipse, 28, 28, 20, 20, "clWhite", "clWhite")
            .text("Company", 66, 20, 254, times(12, navy, Left, true))
            .text("Label", 66, 42, 254, arial(7, green), "Financial Planning & Advice")
            .text("Name", 20, 82, 300, times(13, navy, Left, true))
            .text("Title", 20, 104, 300, arial(8, "clGray"))
            .line(Horizontal, 20, 124, 296, green)
            .text("Address1", 20, 132, 160, arial(7, navy))
            .text("Address2", 20, 144, 160, arial(7, navy))
            .text("Address3", 20, 156, 160, arial(7, navy))
            .text("Phone1", 180, 132, 136, arial(7, navy, Right))
            .text("Fax", 180, 144, 136, arial(7, navy, Right))
            .text("Email", 130, 156, 186, arial(7, green, Right, true));
        all.push_back(t);
    }
    // A green glow in the corner: gardener, landscaper.
    {
        const std::string green = rgb(40, 100, 40), ink = rgb(40, 56, 40);
        Template t("MeadowGarden.QRDT", "MeadowGlow.BMP");
        t.text("Company", 18, 16, 300, arial(14, green, Left, true))
            .text("Label", 18, 42, 300, arial(8, ink, Left, false, true), "Lawns  -  Hedges  -  Planting  -  Design")
            .text("Name", 18, 72, 300, arial(10, ink, Left, true))
            .text("Title", 18, 90, 300, arial(8, "clGray"))
            .text("Phone1", 18, 112, 300, arial(12, green, Left, true))
            .text("Phone2", 18, 136, 200, arial(8, ink))
            .text("Email", 18, 150, 220, arial(8, ink))
            .text("Address1", 18, 166, 220, arial(7, ink));
        all.push_back(t);
    }
    // A warm wash inside a rounded frame: salon, beauty, boutique.
    {
        const std::string plum = rgb(120, 50, 90), ink = rgb(80, 50, 66);
        Template t("SunriseSalon.QRDT", "SunriseWash.BMP");
        t.shape(RoundRect, 10, 10, 316, 172, {}, plum, 1)
            .text("Company", 20, 24, 296, times(15, plum, Centre, false, true))
            .text("Title", 20, 52, 296, arial(8, ink, Centre))
            .line(Horizontal, 148, 74, 40, plum)
            .text("Name", 20, 84, 296, arial(10, ink, Centre, true))
            .text("Address1", 20, 104, 296, arial(7, ink, Centre))
            .text("Address2", 20, 116, 296, arial(7, ink, Centre))
            .text("Address3", 20, 128, 296, arial(7, ink, Centre))
            .text("Phone1", 20, 142, 296, arial(8, plum, Centre, true))
            .text("Email", 20, 157, 296, arial(7, ink, Centre));
        all.push_back(t);
    }
    // Contact code: the name across the top, the details on the left and a
    // QR Code of them on the right that a phone camera saves as a contact.
    {
        const std::string ink = rgb(30, 36, 48), blue = rgb(28, 84, 150), grey = rgb(110, 116, 126);
        Template t("ContactCode.QRDT");
        t.text("Name", 16, 12, 304, arial(13, ink, Left, true))
            .text("Company", 16, 40, 304, arial(9, blue, Left, true))
            .text("Title", 16, 58, 200, arial(8, grey))
            .line(Horizontal, 16, 78, 180, "clSilver")
            .text("Phone1", 16, 88, 204, arial(8, ink))
            .text("Phone2", 16, 101, 204, arial(8, ink))
            .text("Email", 16, 114, 204, arial(8, blue))
            .text("Address1", 16, 134, 204, arial(7, grey))
            .text("Address2", 16, 146, 204, arial(7, grey))
            .text("Address3", 16, 158, 204, arial(7, grey))
            .vcardCode(228, 58, 96)
            .text("Label", 220, 154, 112, arial(6, grey, Centre), "Scan to save my details");
        all.push_back(t);
    }
    // A navy band across the top carrying the business name; the QR Code
    // beside the contact lines below it.
    {
        const std::string navy = rgb(20, 38, 82), pale = rgb(190, 205, 235), grey = rgb(80, 86, 100);
        Template t("CodeBand.QRDT");
        t.shape(Rectangle, 0, 0, 336, 58, navy)
            .text("Company", 16, 8, 304, arial(12, "clWhite", Left, true))
            .text("Title", 16, 34, 304, arial(8, pale))
            .text("Name", 16, 68, 210, arial(10, navy, Left, true))
            .text("Phone1", 16, 92, 210, arial(8, grey))
            .text("Email", 16, 105, 210, arial(8, navy))
            .text("Address1", 16, 126, 210, arial(7, grey))
            .text("Address2", 16, 138, 210, arial(7, grey))
            .text("Address3", 16, 150, 210, arial(7, grey))
            .vcardCode(236, 70, 90, navy);
        all.push_back(t);
    }
    // Standing card: the name on top, the QR Code in the middle, contact
    // lines below it.
    {
        const std::string teal = rgb(24, 112, 118), ink = rgb(30, 50, 54);
        Template t("VerticalCode.QRDT", {}, true);
        t.shape(Rectangle, 0, 0, 192, 15, teal)
            .text("Name", 4, 24, 184, arial(9, ink, Centre, true))
            .text("Title", 4, 44, 184, arial(7, "clGray", Centre))
            .text("Company", 4, 58, 184, arial(8, teal, Centre, true))
            .vcardCode(36, 84, 120, ink)
            .text("Phone1", 4, 212, 184, arial(8, ink, Centre))
            .text("Email", 4, 228, 184, arial(7, teal, Centre))
            .text("Address1", 4, 246, 184, arial(7, ink, Centre))
            .text("Address2", 4, 258, 184, arial(7, ink, Centre))
            .text("Address3", 4, 270, 184, arial(7, ink, Centre))
            .shape(Rectangle, 0, 321, 192, 15, teal);
        all.push_back(t);
    }
    return all;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_templates <output folder>\n");
        return 2;
    }
    int failures = 0;
    for (const Template& t : templates()) {
        if (!t.write(argv[1])) {
            std::fprintf(stderr, "make_templates: cannot write %s\n", t.name().c_str());
            ++failures;
        }
    }
    return failures ? 1 : 0;
}
