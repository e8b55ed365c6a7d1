#include "forms/table_layout_panel.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace forms {

template <class Style>
int TableLayoutStyleCollection<Style>::Add(const Style& style) {
    styles_.push_back(style);
    owner_->StylesChanged();
    return Count() - 1;
}

template <class Style>
void TableLayoutStyleCollection<Style>::Clear() {
    styles_.clear();
    owner_->StylesChanged();
}

template <class Style>
void TableLayoutStyleCollection<Style>::Set(int index, const Style& style) {
    styles_.at(static_cast<std::size_t>(index)) = style;
    owner_->StylesChanged();
}

template class TableLayoutStyleCollection<ColumnStyle>;
template class TableLayoutStyleCollection<RowStyle>;

TableLayoutControlCollection::TableLayoutControlCollection(TableLayoutPanel* owner) : ControlCollection(owner) {}

void TableLayoutControlCollection::Add(Control* control, int column, int row) {
    auto* table = static_cast<TableLayoutPanel*>(owner_);
    table->SuspendLayout();
    ControlCollection::Add(control);
    table->SetCellPosition(control, column, row);
    table->ResumeLayout(true);
}

TableLayoutPanel::TableLayoutPanel() { SetTabStop(false); }

void TableLayoutPanel::SetColumnCount(int count) {
    if (count < 0) throw std::out_of_range("negative column count");
    columnCount_ = count;
    PerformLayout();
}

void TableLayoutPanel::SetRowCount(int count) {
    if (count < 0) throw std::out_of_range("negative row count");
    rowCount_ = count;
    PerformLayout();
}

TableLayoutPanel::Cell& TableLayoutPanel::CellOf(const Control* control) {
    for (Cell& cell : cells_)
        if (cell.control == control) return cell;
    cells_.push_back({control});
    return cells_.back();
}

const TableLayoutPanel::Cell* TableLayoutPanel::FindCell(const Control* control) const {
    for (const Cell& cell : cells_)
        if (cell.control == control) return &cell;
    return nullptr;
}

void TableLayoutPanel::SetColumnSpan(Control* control, int span) {
    if (span < 1) throw std::out_of_range("a column span is at least 1");
    CellOf(control).columnSpan = span;
    PerformLayout();
}

int TableLayoutPanel::GetColumnSpan(const Control* control) const {
    const Cell* cell = FindCell(control);
    return cell ? cell->columnSpan : 1;
}

void TableLayoutPanel::SetRowSpan(Control* control, int span) {
    if (span < 1) throw std::out_of_range("a row span is at least 1");
    CellOf(control).rowSpan = span;
    PerformLayout();
}

int TableLayoutPanel::GetRowSpan(const Control* control) const {
    const Cell* cell = FindCell(control);
    return cell ? cell->rowSpan : 1;
}

void TableLayoutPanel::SetCellPosition(Control* control, int column, int row) {
    Cell& cell = CellOf(control);
    cell.column = column;
    cell.row = row;
    PerformLayout();
}

std::vector<TableLayoutPanel::Cell> TableLayoutPanel::PlaceChildren() {
    // Forget cells of controls that have left.
    std::erase_if(cells_, [&](const Cell& cell) { return !Controls.Contains(cell.control); });
    const int columns = std::clamp(columnCount_, 1, kMaxTracks);
    std::vector<Cell> placed;
    std::vector<std::vector<bool>> taken;
    auto occupy = [&](const Cell& c) {
        for (int r = c.row; r < c.row + c.rowSpan; ++r) {
            if (static_cast<int>(taken.size()) <= r) taken.resize(static_cast<std::size_t>(r) + 1, std::vector<bool>(static_cast<std::size_t>(columns)));
            for (int col = c.column; col < std::min(columns, c.column + c.columnSpan); ++col)
                taken[static_cast<std::size_t>(r)][static_cast<std::size_t>(col)] = true;
        }
    };
    auto isFree = [&](int col, int row) {
        return static_cast<int>(taken.size()) <= row || !taken[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
    };
    // Children with both coordinates first, then the rest into the next free cells in reading order.
    std::vector<const Control*> floating;
    for (int i = 0; i < Controls.Count(); ++i) {
        const Control* child = Controls[i];
        if (!child->Visible()) continue;
        const Cell* cell = FindCell(child);
        if (cell && cell->column >= 0 && cell->row >= 0) {
            Cell c = *cell;
            c.column = std::min(c.column, columns - 1);
            c.columnSpan = std::min(c.columnSpan, columns - c.column);
            c.row = std::min(c.row, kMaxTracks - 1);
            c.rowSpan = std::min(c.rowSpan, kMaxTracks - c.row);
            placed.push_back(c);
            occupy(c);
        } else {
            floating.push_back(child);
        }
    }
    int col = 0, row = 0;
    for (const Control* child : floating) {
        const Cell* found = FindCell(child);
        Cell c = found ? *found : Cell{child};
        c.columnSpan = std::min(c.columnSpan, columns);
        c.rowSpan = std::min(c.rowSpan, kMaxTracks);
        while (true) {
            if (col + c.columnSpan > columns) {
                col = 0;
                ++row;
            }
            bool free = true;
            for (int k = col; k < col + c.columnSpan; ++k) free = free && isFree(k, row);
            if (free) break;
            ++col;
        }
        c.column = col;
        c.row = row;
        placed.push_back(c);
        occupy(c);
        col += c.columnSpan;
    }
    return placed;
}

namespace {

// One axis of the table: sizes from the styles, the children and the space available.
struct Track {
    SizeType type;
    float value;
};

// What a child asks of the tracks it spans: its size plus its margin.
struct Want {
    int first;
    int count;
    long long size;
};

// Sizes are summed in 64 bits and each is held to the coordinate range, so no
// style value (huge, infinite, not a number) or child size can overflow.
long long Pixels(double value) {
    if (!(value > 0)) return 0;
    return value >= kMaxCoordinate ? kMaxCoordinate : std::llround(value);
}

std::vector<int> Distribute(const std::vector<Track>& tracks, int space, const std::vector<Want>& wants) {
    const std::size_t n = tracks.size();
    std::vector<long long> size(n, 0);
    for (std::size_t i = 0; i < n; ++i)
        if (tracks[i].type == SizeType::Absolute) size[i] = Pixels(tracks[i].value);
    // Auto-size: single spans first, then spanning children add only what is missing.
    for (int pass = 0; pass < 2; ++pass) {
        for (const Want& want : wants) {
            if ((want.count == 1) != (pass == 0)) continue;
            long long have = 0;
            int lastAuto = -1;
            for (int k = want.first; k < want.first + want.count; ++k) {
                have += size[static_cast<std::size_t>(k)];
                if (tracks[static_cast<std::size_t>(k)].type == SizeType::AutoSize) lastAuto = k;
            }
            if (lastAuto >= 0 && want.size > have) {
                long long& grown = size[static_cast<std::size_t>(lastAuto)];
                grown = std::min<long long>(grown + want.size - have, kMaxCoordinate);
            }
        }
    }
    long long fixed = 0;
    float totalPercent = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (tracks[i].type == SizeType::Percent) totalPercent += tracks[i].value;
        else fixed += size[i];
    }
    const long long available = std::max<long long>(0, space - fixed);
    long long used = fixed;
    if (totalPercent > 0) {
        for (std::size_t i = 0; i < n; ++i) {
            if (tracks[i].type != SizeType::Percent) continue;
            const float share = tracks[i].value * static_cast<float>(available) / totalPercent;
            size[i] = !(share > 0) ? 0 : share >= static_cast<float>(kMaxCoordinate) ? kMaxCoordinate : static_cast<long long>(share);
            used += size[i];
        }
    }
    if (n > 0 && space > used) size[n - 1] = std::min<long long>(size[n - 1] + space - used, kMaxCoordinate);
    std::vector<int> sizes(n);
    for (std::size_t i = 0; i < n; ++i) sizes[i] = static_cast<int>(size[i]);  // each within 0..kMaxCoordinate
    return sizes;
}

// Where each track starts, and after the last, where the last ends.
std::vector<long long> Starts(const std::vector<int>& sizes) {
    std::vector<long long> at(sizes.size() + 1, 0);
    for (std::size_t i = 0; i < sizes.size(); ++i) at[i + 1] = at[i] + sizes[i];
    return at;
}

}  // namespace

void TableLayoutPanel::OnLayout() {
    const std::vector<Cell> placed = PlaceChildren();
    const int columns = std::clamp(columnCount_, 1, kMaxTracks);
    int rows = std::clamp(rowCount_, 1, kMaxTracks);
    for (const Cell& c : placed) rows = std::max(rows, c.row + c.rowSpan);

    std::vector<Track> columnTracks, rowTracks;
    for (int i = 0; i < columns; ++i) {
        if (i < ColumnStyles.Count()) columnTracks.push_back({ColumnStyles[i].SizeType, ColumnStyles[i].Width});
        else columnTracks.push_back({SizeType::AutoSize, 0});
    }
    for (int i = 0; i < rows; ++i) {
        if (i < RowStyles.Count()) rowTracks.push_back({RowStyles[i].SizeType, RowStyles[i].Height});
        else rowTracks.push_back({SizeType::AutoSize, 0});
    }
    auto extent = [](const Control* c) { return c->AutoSize() ? c->GetPreferredSize() : c->Size(); };
    std::vector<Want> columnWants, rowWants;
    for (const Cell& c : placed) {
        const forms::Size want = extent(c.control);
        const forms::Padding m = c.control->Margin();
        columnWants.push_back({c.column, c.columnSpan, static_cast<long long>(want.Width) + m.Horizontal()});
        rowWants.push_back({c.row, std::min(c.rowSpan, rows - c.row), static_cast<long long>(want.Height) + m.Vertical()});
    }
    const forms::Size client = ClientSize();
    const forms::Padding pad = Padding();
    columnWidths_ = Distribute(columnTracks, client.Width - pad.Horizontal(), columnWants);
    rowHeights_ = Distribute(rowTracks, client.Height - pad.Vertical(), rowWants);

    const std::vector<long long> columnAt = Starts(columnWidths_), rowAt = Starts(rowHeights_);
    for (const Cell& c : placed) {
        Control* child = const_cast<Control*>(c.control);
        const auto at = [](const std::vector<long long>& starts, int index) { return starts[static_cast<std::size_t>(index)]; };
        const long long x = pad.Left + at(columnAt, c.column);
        const long long y = pad.Top + at(rowAt, c.row);
        const long long w = at(columnAt, c.column + c.columnSpan) - at(columnAt, c.column);
        const long long h = at(rowAt, std::min(rows, c.row + c.rowSpan)) - at(rowAt, c.row);
        const forms::Padding m = child->Margin();
        const Point corner{ClampToInt(x + m.Left), ClampToInt(y + m.Top)};
        if (child->Dock() == DockStyle::Fill) {
            child->SetBounds({corner, {ClampToInt(std::max<long long>(1, w - m.Horizontal())),
                                       ClampToInt(std::max<long long>(1, h - m.Vertical()))}});
        } else {
            child->SetBounds({corner, extent(child)});
        }
    }
}

void TableLayoutPanel::Scale(SizeF factor) {
    for (auto& s : ColumnStyles.styles_)
        if (s.SizeType == SizeType::Absolute) s.Width *= factor.Width;
    for (auto& s : RowStyles.styles_)
        if (s.SizeType == SizeType::Absolute) s.Height *= factor.Height;
    Control::Scale(factor);
}

}  // namespace forms
