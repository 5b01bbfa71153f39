#include <algorithm>

#include "base/ascii_case.h"
#include "html/html_layout_engine.h"
#include "html/html_length.h"
#include "html/html_table_columns.h"
#include "html/html_text.h"

// Table layout of the layout engine: cells in a grid of rows and columns, columns sized from their cells'
// minimum and maximum widths.

namespace quillcrest {
namespace {

constexpr int kDefaultCellPadding = 1;
constexpr int kDefaultCellSpacing = 2;
constexpr HtmlColor kBorderShadow{0x80, 0x80, 0x80};
constexpr HtmlColor kBorderLight{0xDF, 0xDF, 0xDF};

enum class VerticalAlign { Top, Middle, Bottom };

struct TableAttributes {
    int border = 0;
    int padding = kDefaultCellPadding;
    int spacing = kDefaultCellSpacing;
    int cellBorder = 0;
};

// In device pixels at the density.
TableAttributes ReadTableAttributes(const HtmlNode& table, int dpi) {
    TableAttributes attributes;
    if (const std::string* border = table.Attribute("border"))
        // A bare "border" means a border of one pixel.
        attributes.border = ParseHtmlInteger(*border, 1, kMaxTableBorder);
    if (const std::string* padding = table.Attribute("cellpadding"))
        attributes.padding = ParseHtmlInteger(*padding, kDefaultCellPadding, kMaxCellPadding);
    if (const std::string* spacing = table.Attribute("cellspacing"))
        attributes.spacing = ParseHtmlInteger(*spacing, kDefaultCellSpacing, kMaxCellSpacing);
    attributes.cellBorder = attributes.border > 0 ? 1 : 0;
    for (int* length : {&attributes.border, &attributes.padding, &attributes.spacing, &attributes.cellBorder})
        *length = ScaleToDpi(*length, dpi);
    return attributes;
}

std::optional<VerticalAlign> ParseVerticalAlign(const std::string* value) {
    if (!value)
        return std::nullopt;
    std::string_view text = TrimHtmlSpace(*value);
    if (EqualIgnoringAsciiCase(text, "top") || EqualIgnoringAsciiCase(text, "baseline"))
        return VerticalAlign::Top;
    if (EqualIgnoringAsciiCase(text, "bottom"))
        return VerticalAlign::Bottom;
    if (EqualIgnoringAsciiCase(text, "middle") || EqualIgnoringAsciiCase(text, "center"))
        return VerticalAlign::Middle;
    return std::nullopt;
}

std::optional<HtmlAlign> ParseHorizontalAlign(const std::string* value) {
    if (!value)
        return std::nullopt;
    std::string_view text = TrimHtmlSpace(*value);
    if (EqualIgnoringAsciiCase(text, "center") || EqualIgnoringAsciiCase(text, "middle"))
        return HtmlAlign::Center;
    if (EqualIgnoringAsciiCase(text, "right"))
        return HtmlAlign::Right;
    if (EqualIgnoringAsciiCase(text, "left"))
        return HtmlAlign::Left;
    return std::nullopt;
}

}  // namespace

std::optional<HtmlLength> HtmlLayoutEngine::LengthAttribute(const HtmlNode& node, std::string_view name) const {
    const std::string* text = node.Attribute(name);
    std::optional<HtmlLength> length = text ? ParseHtmlLength(*text, kMaxElementWidth) : std::nullopt;
    if (length)
        length = Px(*length);
    return length;
}

namespace {

int ClampWidth(long long width) {
    return static_cast<int>(std::max<long long>(0, std::min<long long>(kUnboundedWidth, width)));
}

// Spreads what a spanning cell needs beyond its columns over them, the first ones taking the remainder.
void Widen(std::vector<int>& columns, int first, int span, int needed) {
    long long have = 0;
    for (int c = first; c < first + span; ++c)
        have += columns[static_cast<std::size_t>(c)];
    if (needed <= have)
        return;
    long long extra = needed - have;
    for (int c = first; c < first + span; ++c) {
        long long share = extra / span + ((c - first) < extra % span ? 1 : 0);
        columns[static_cast<std::size_t>(c)] = ClampWidth(columns[static_cast<std::size_t>(c)] + share);
    }
}

}  // namespace

std::vector<std::vector<HtmlLayoutEngine::TableCell>> HtmlLayoutEngine::CollectRows(int table) const {
    std::vector<std::vector<TableCell>> rows;
    for (int rowIndex : NodeAt(table).children) {
        const HtmlNode& row = NodeAt(rowIndex);
        if (row.tag != "tr")
            continue;
        std::vector<TableCell> cells;
        int column = 0;
        for (int cellIndex : row.children) {
            const HtmlNode& cell = NodeAt(cellIndex);
            if (cell.tag != "td" && cell.tag != "th")
                continue;
            if (column >= kMaxTableColumns)
                break;
            TableCell entry;
            entry.node = cellIndex;
            entry.column = column;
            const std::string* span = cell.Attribute("colspan");
            entry.span = std::max(1, span ? ParseHtmlInteger(*span, 1, kMaxTableColumns) : 1);
            entry.span = std::min(entry.span, kMaxTableColumns - column);
            column += entry.span;
            cells.push_back(entry);
        }
        rows.push_back(std::move(cells));
    }
    return rows;
}

HtmlStyle HtmlLayoutEngine::CellStyle(const HtmlNode& cell, const HtmlNode* row, const HtmlStyle& table) {
    HtmlStyle style = table;
    if (cell.tag == "th") {
        style.font.bold = true;
        style.align = HtmlAlign::Center;
    }
    if (row)
        style.align = ParseHorizontalAlign(row->Attribute("align")).value_or(style.align);
    style.align = ParseHorizontalAlign(cell.Attribute("align")).value_or(style.align);
    style.noWrap = cell.Attribute("nowrap") != nullptr;
    return style;
}

std::pair<int, int> HtmlLayoutEngine::MeasureCell(int cell, const HtmlStyle& style, int depth) {
    std::size_t itemCount = layout_.items.size();
    Measure previous = measure_;
    std::vector<ListState> lists = lists_;

    measure_ = Measure::Minimum;
    Flow narrow;
    LayOutBlockContent(cell, style, 0, 0, narrow, depth + 1);
    measure_ = Measure::Maximum;
    Flow wide;
    LayOutBlockContent(cell, style, 0, kUnboundedWidth, wide, depth + 1);

    measure_ = previous;
    lists_ = std::move(lists);
    layout_.items.resize(itemCount);
    int minimum = ClampWidth(narrow.extentRight);
    return {minimum, std::max(minimum, ClampWidth(wide.extentRight))};
}

const HtmlLayoutEngine::TableSizes& HtmlLayoutEngine::MeasureTable(int table, const HtmlStyle& style, int depth) {
    auto known = tableSizes_.find(table);
    if (known != tableSizes_.end())
        return known->second;

    const HtmlNode& tableNode = NodeAt(table);
    TableAttributes attributes = ReadTableAttributes(tableNode, dpi_);
    std::vector<std::vector<TableCell>> rows = CollectRows(table);
    int columns = 0;
    for (const auto& row : rows) {
        if (!row.empty())
            columns = std::max(columns, row.back().column + row.back().span);
    }
    TableSizes sizes;
    sizes.columnMinimums.assign(static_cast<std::size_t>(columns), 0);
    sizes.columnMaximums.assign(static_cast<std::size_t>(columns), 0);
    int cellExtra = 2 * (attributes.padding + attributes.cellBorder);

    // Cells of one column first, so that spanning cells only add what their columns still lack.
    for (int pass = 0; pass < 2; ++pass) {
        std::size_t rowNumber = 0;
        for (int rowIndex : tableNode.children) {
            const HtmlNode& row = NodeAt(rowIndex);
            if (row.tag != "tr")
                continue;
            for (const TableCell& cell : rows[rowNumber]) {
                if ((cell.span == 1) != (pass == 0))
                    continue;
                const HtmlNode& cellNode = NodeAt(cell.node);
                auto [minimum, maximum] = MeasureCell(cell.node, CellStyle(cellNode, &row, style), depth);
                minimum = ClampWidth(static_cast<long long>(minimum) + cellExtra);
                maximum = ClampWidth(static_cast<long long>(maximum) + cellExtra);
                std::optional<HtmlLength> width = LengthAttribute(cellNode, "width");
                if (width && !width->percent) {
                    minimum = std::max(minimum, width->value);
                    maximum = minimum;
                }
                int spacing = attributes.spacing * (cell.span - 1);
                Widen(sizes.columnMinimums, cell.column, cell.span, minimum - spacing);
                Widen(sizes.columnMaximums, cell.column, cell.span, maximum - spacing);
            }
            ++rowNumber;
        }
    }
    long long overhead = 2LL * attributes.border + static_cast<long long>(columns + 1) * attributes.spacing;
    long long minimum = overhead;
    long long maximum = overhead;
    for (int c = 0; c < columns; ++c) {
        auto& columnMaximum = sizes.columnMaximums[static_cast<std::size_t>(c)];
        columnMaximum = std::max(columnMaximum, sizes.columnMinimums[static_cast<std::size_t>(c)]);
        minimum += sizes.columnMinimums[static_cast<std::size_t>(c)];
        maximum += columnMaximum;
    }
    std::optional<HtmlLength> width = LengthAttribute(tableNode, "width");
    if (width && !width->percent) {
        minimum = std::max<long long>(minimum, width->value);
        maximum = minimum;
    }
    sizes.minimum = ClampWidth(minimum);
    sizes.maximum = ClampWidth(std::max(minimum, maximum));
    return tableSizes_.emplace(table, std::move(sizes)).first->second;
}

void HtmlLayoutEngine::LayOutTable(int table, const HtmlStyle& style, int left, int right, Flow& flow, int depth) {
    const TableSizes sizes = MeasureTable(table, style, depth);
    int top = OpenBlockArea(flow);
    if (measure_ != Measure::None) {
        int width = measure_ == Measure::Minimum ? sizes.minimum : sizes.maximum;
        flow.extentRight = std::max(flow.extentRight, ClampWidth(static_cast<long long>(left) + width));
        return;
    }

    const HtmlNode& tableNode = NodeAt(table);
    TableAttributes attributes = ReadTableAttributes(tableNode, dpi_);
    std::vector<std::vector<TableCell>> rows = CollectRows(table);
    int columns = static_cast<int>(sizes.columnMinimums.size());
    auto [edgeLeft, edgeRight] = Edges(flow, top, left, right);
    int available = edgeRight - edgeLeft;
    std::optional<HtmlLength> widthAttribute = LengthAttribute(tableNode, "width");
    int target = widthAttribute ? widthAttribute->Resolve(available) : std::min(available, sizes.maximum);
    target = std::max(target, sizes.minimum);
    int overhead = 2 * attributes.border + (columns + 1) * attributes.spacing;
    std::vector<int> widths = DistributeColumnWidths(sizes.columnMinimums, sizes.columnMaximums, target - overhead);
    long long totalWidth = overhead;
    for (int width : widths)
        totalWidth += width;
    int tableWidth = ClampWidth(totalWidth);

    HtmlAlign align = ParseHorizontalAlign(tableNode.Attribute("align"))
                          .value_or(style.align == HtmlAlign::Center ? HtmlAlign::Center : HtmlAlign::Left);
    int x = edgeLeft;
    if (align == HtmlAlign::Center)
        x += std::max(0, (available - tableWidth) / 2);
    else if (align == HtmlAlign::Right)
        x += std::max(0, available - tableWidth);

    const std::string* element = &tableNode.tag;
    std::optional<std::size_t> tableBackground;
    std::optional<HtmlColor> tableColor;
    if (const std::string* color = tableNode.Attribute("bgcolor"))
        tableColor = ParseHtmlColor(*color);
    if (tableColor) {
        tableBackground = layout_.items.size();
        Emit(HtmlDisplayItem::Kind::Fill, {}, element).color = *tableColor;
    }

    std::vector<int> columnX(static_cast<std::size_t>(columns) + 1, 0);
    columnX[0] = x + attributes.border + attributes.spacing;
    for (int c = 0; c < columns; ++c)
        columnX[static_cast<std::size_t>(c) + 1] =
            columnX[static_cast<std::size_t>(c)] + widths[static_cast<std::size_t>(c)] + attributes.spacing;

    struct PlacedCell {
        std::size_t firstItem = 0;
        std::size_t endItem = 0;
        std::optional<std::size_t> background;
        int x = 0;
        int width = 0;
        int height = 0;
        VerticalAlign align = VerticalAlign::Middle;
    };

    int rowY = top + attributes.border + attributes.spacing;
    std::size_t rowNumber = 0;
    int inset = attributes.cellBorder + attributes.padding;
    for (int rowIndex : tableNode.children) {
        const HtmlNode& row = NodeAt(rowIndex);
        if (row.tag != "tr")
            continue;
        std::vector<PlacedCell> placed;
        int rowHeight = 0;
        for (const TableCell& cell : rows[rowNumber]) {
            const HtmlNode& cellNode = NodeAt(cell.node);
            PlacedCell out;
            out.x = columnX[static_cast<std::size_t>(cell.column)];
            out.width = columnX[static_cast<std::size_t>(cell.column + cell.span)] - attributes.spacing - out.x;
            out.align = ParseVerticalAlign(cellNode.Attribute("valign"))
                            .value_or(ParseVerticalAlign(row.Attribute("valign")).value_or(VerticalAlign::Middle));
            const std::string* color = cellNode.Attribute("bgcolor");
            if (!color)
                color = row.Attribute("bgcolor");
            if (std::optional<HtmlColor> background = color ? ParseHtmlColor(*color) : std::nullopt) {
                out.background = layout_.items.size();
                Emit(HtmlDisplayItem::Kind::Fill, {}, &cellNode.tag).color = *background;
            }
            out.firstItem = layout_.items.size();
            Flow cellFlow;
            cellFlow.y = rowY + inset;
            LayOutBlockContent(cell.node, CellStyle(cellNode, &row, style), out.x + inset, out.x + out.width - inset,
                               cellFlow, depth + 1);
            out.endItem = layout_.items.size();
            out.height = FlowBottom(cellFlow) + inset - rowY;
            if (std::optional<HtmlLength> height = LengthAttribute(cellNode, "height"); height && !height->percent)
                out.height = std::max(out.height, height->value);
            flow.extentRight = std::max(flow.extentRight, cellFlow.extentRight + inset);
            rowHeight = std::max(rowHeight, out.height);
            placed.push_back(out);
        }
        if (std::optional<HtmlLength> height = LengthAttribute(row, "height"); height && !height->percent)
            rowHeight = std::max(rowHeight, height->value);

        for (const PlacedCell& cell : placed) {
            int offset = 0;
            if (cell.align == VerticalAlign::Middle)
                offset = (rowHeight - cell.height) / 2;
            else if (cell.align == VerticalAlign::Bottom)
                offset = rowHeight - cell.height;
            for (std::size_t i = cell.firstItem; i < cell.endItem; ++i)
                layout_.items[i].rect.y += offset;
            if (cell.background)
                layout_.items[*cell.background].rect = {cell.x, rowY, cell.width, rowHeight};
            if (attributes.cellBorder > 0) {
                // Cells look sunk into the table.
                const int line = attributes.cellBorder;
                Emit(HtmlDisplayItem::Kind::Fill, {cell.x, rowY, cell.width, line}, element).color = kBorderShadow;
                Emit(HtmlDisplayItem::Kind::Fill, {cell.x, rowY, line, rowHeight}, element).color = kBorderShadow;
                Emit(HtmlDisplayItem::Kind::Fill, {cell.x, rowY + rowHeight - line, cell.width, line}, element).color =
                    kBorderLight;
                Emit(HtmlDisplayItem::Kind::Fill, {cell.x + cell.width - line, rowY, line, rowHeight}, element).color =
                    kBorderLight;
            }
        }
        rowY += rowHeight + attributes.spacing;
        ++rowNumber;
    }
    int tableHeight = rowY + attributes.border - top;
    if (tableBackground)
        layout_.items[*tableBackground].rect = {x, top, tableWidth, tableHeight};
    if (int border = attributes.border; border > 0) {
        // The table stands out of the page.
        Emit(HtmlDisplayItem::Kind::Fill, {x, top, tableWidth, border}, element).color = kBorderLight;
        Emit(HtmlDisplayItem::Kind::Fill, {x, top, border, tableHeight}, element).color = kBorderLight;
        Emit(HtmlDisplayItem::Kind::Fill, {x, top + tableHeight - border, tableWidth, border}, element).color =
            kBorderShadow;
        Emit(HtmlDisplayItem::Kind::Fill, {x + tableWidth - border, top, border, tableHeight}, element).color =
            kBorderShadow;
    }
    flow.y = top + tableHeight;
    flow.extentRight = std::max(flow.extentRight, x + tableWidth);
}

}  // namespace quillcrest
