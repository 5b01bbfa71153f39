#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "html/html_container.h"
#include "html/html_display_item.h"
#include "html/html_layout.h"
#include "html/html_length.h"
#include "html/html_tree.h"
#include "widgets/display_scale.h"

namespace quillcrest {

// Limits on sizes a page may ask for, so that sums of them stay far from overflowing.
constexpr int kMaxElementWidth = 8192;
constexpr int kMaxTableBorder = 32;
constexpr int kMaxCellPadding = 256;
constexpr int kMaxCellSpacing = 256;
constexpr int kMaxTableColumns = 64;
constexpr int kMaxRuleThickness = 64;
constexpr int kMaxPictureSpacing = 256;
// Floating pictures that still narrow the lines of one flow; a picture asking to float beyond this stays in its
// line, so edge look-ups stay cheap whatever the page holds.
constexpr std::size_t kMaxLiveFloats = 64;
// Lines measured for their natural width run up to this edge, and no measured width exceeds it.
constexpr int kUnboundedWidth = 1 << 22;

enum class HtmlAlign { Left, Center, Right };

// What an element passes down to its content.
struct HtmlStyle {
    HtmlFont font;
    int fontSize = kDefaultHtmlFontSize;  // 1-7, for relative sizes
    HtmlColor color;
    int link = -1;
    HtmlAlign align = HtmlAlign::Left;
    bool noWrap = false;
};

// Lays out one tree for a display density: every length the page gives or implies (font sizes, margins, widths,
// borders, picture sizes) is a CSS pixel, 1/96 inch, and lands in device pixels; text is measured in device
// pixels with fonts of the scaled height. At 96 dots per inch a CSS pixel is a device pixel. Block content flows in
// lines between left and right edges that floating pictures narrow; tables are sized from the minimum and maximum
// widths of their cells, which are measured by laying the cell out against no width and against unbounded width.
class HtmlLayoutEngine {
  public:
    HtmlLayoutEngine(const HtmlTree& tree,
                     const HtmlPictureSizes& pictures,
                     HtmlContainer& container,
                     int dpi = kDesignDpi);
    HtmlLayout Run(int width, bool margins);

  private:
    enum class Measure {
        None,     // real layout
        Minimum,  // against a zero width: the widest unbreakable piece
        Maximum,  // against unbounded width: the widest line
    };

    enum class PictureAlign { Bottom, Middle, AbsMiddle, AbsBottom, Top, Left, Right };

    // One word part or picture waiting for its line.
    struct Piece {
        bool picture = false;
        std::string content;
        int font = -1;
        HtmlColor color;
        int link = -1;
        const std::string* element = nullptr;
        int width = 0;
        // Pictures only: the outer height, the frame and spacing inside it, and the text font's metrics.
        int height = 0;
        int border = 0;
        int hspace = 0;
        int vspace = 0;
        bool hasPicture = false;
        PictureAlign align = PictureAlign::Bottom;
        HtmlFontMetrics strut;
    };

    struct Float {
        HtmlRect rect;
        bool left = true;
    };

    struct Marker {
        std::string text;
        HtmlStyle style;
        int right = 0;
    };

    // A block formatting context: the page or one table cell.
    struct Flow {
        int y = 0;
        int pendingMargin = 0;
        bool atTop = true;  // no content yet: leading margins are dropped
        std::vector<Float> floats;
        int floatsBottom = 0;
        int lastFloatTop = 0;  // no float goes above an earlier one
        int extentRight = 0;
        std::optional<Marker> marker;
    };

    // The lines of one block.
    struct Line {
        int left = 0;
        int right = 0;
        HtmlAlign align = HtmlAlign::Left;
        bool noWrap = false;
        bool open = false;
        int y = 0;
        std::vector<Piece> pieces;
        int width = 0;
        std::vector<Piece> word;
        int wordWidth = 0;
        bool spacePending = false;
        Piece space;
        std::vector<Piece> deferredFloats;
    };

    struct ListState {
        bool ordered = false;
        int counter = 0;
    };

    struct TableCell {
        int node = 0;
        int column = 0;
        int span = 1;
    };

    struct TableSizes {
        std::vector<int> columnMinimums;
        std::vector<int> columnMaximums;
        int minimum = 0;
        int maximum = 0;
    };

    const HtmlNode& NodeAt(int index) const { return tree_.nodes[static_cast<std::size_t>(index)]; }
    // CSS pixels in device pixels.
    int Px(int cssPixels) const { return ScaleToDpi(cssPixels, dpi_); }
    // A length attribute in device pixels; a percentage stays one.
    HtmlLength Px(HtmlLength length) const;
    static int Clamp(long long value, int low, int high);

    // Fonts.
    int FontIndex(const HtmlFont& font);
    const HtmlFontMetrics& Metrics(int font);
    int SpaceWidth(int font);
    void SetFontSize(HtmlStyle& style, int size);

    // Styles.
    HtmlStyle BlockStyle(const HtmlNode& node, const HtmlStyle& parent);
    HtmlStyle InlineStyle(const HtmlNode& node, const HtmlStyle& parent);
    static int HeadingLevel(const std::string& tag);
    static std::optional<HtmlAlign> ParseAlign(const std::string* value);

    // Blocks (html_block_flow.cpp).
    void LayOutBlockContent(int node, const HtmlStyle& style, int left, int right, Flow& flow, int depth);
    void LayOutChildren(int node, const HtmlStyle& style, Line& line, Flow& flow, int depth);
    void LayOutElement(int node, const HtmlStyle& style, Line& line, Flow& flow, int depth);
    void LayOutBlock(int node, const HtmlStyle& parent, const Line& outer, Flow& flow, int depth);
    void LayOutRule(const HtmlNode& node, int left, int right, Flow& flow);
    void AddMargin(Flow& flow, int margin);
    int OpenBlockArea(Flow& flow);
    static int FlowBottom(const Flow& flow);

    // Lines (html_line_layout.cpp).
    void AddText(const std::string& text, const HtmlStyle& style, const std::string* element, Line& line, Flow& flow);
    void MarkSpace(const HtmlStyle& style, const std::string* element, Line& line, Flow& flow);
    void FlushWord(Line& line, Flow& flow);
    void PlaceUnit(std::vector<Piece>& pieces, int width, Line& line, Flow& flow);
    void AppendPiece(Piece piece, std::vector<Piece>& pieces);
    void OpenLine(Line& line, Flow& flow);
    void CommitLine(Line& line, Flow& flow, const HtmlStyle* breakStyle = nullptr);
    void EndLine(Line& line, Flow& flow);
    void PlaceMarker(Flow& flow, int baseline);

    // Pictures and the floats they make (html_float_layout.cpp).
    void LayOutPicture(const HtmlNode& node, const HtmlStyle& style, Line& line, Flow& flow);
    void PlaceFloat(const Piece& piece, int y, Line& line, Flow& flow);
    void EmitPicture(const Piece& piece, int x, int top);
    std::pair<int, int> Edges(Flow& flow, int y, int left, int right);
    static int NextFloatBottom(const Flow& flow, int y);
    void Clear(Flow& flow, const std::string* which);

    // Tables (html_table_layout.cpp).
    void LayOutTable(int node, const HtmlStyle& style, int left, int right, Flow& flow, int depth);
    std::vector<std::vector<TableCell>> CollectRows(int table) const;
    const TableSizes& MeasureTable(int table, const HtmlStyle& style, int depth);
    std::pair<int, int> MeasureCell(int cell, const HtmlStyle& style, int depth);
    HtmlStyle CellStyle(const HtmlNode& cell, const HtmlNode* row, const HtmlStyle& table);
    // A width or height attribute in device pixels, nothing without one.
    std::optional<HtmlLength> LengthAttribute(const HtmlNode& node, std::string_view name) const;

    HtmlDisplayItem& Emit(HtmlDisplayItem::Kind kind, const HtmlRect& rect, const std::string* element);

    const HtmlTree& tree_;
    const HtmlPictureSizes& pictures_;
    HtmlContainer& container_;
    int dpi_;
    HtmlLayout layout_;
    std::map<HtmlFont, int> fontIndexes_;
    std::vector<HtmlFontMetrics> metrics_;
    std::vector<int> spaceWidths_;
    HtmlColor linkColor_{0x00, 0x00, 0xFF};
    Measure measure_ = Measure::None;
    std::vector<ListState> lists_;
    std::map<int, TableSizes> tableSizes_;
    int textBlock_ = 0;  // numbers the runs of text, see HtmlDisplayItem::textBlock
};

}  // namespace quillcrest
