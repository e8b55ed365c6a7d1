// A container that arranges its children in a grid of columns and rows.
//
// Sizes, per axis (columns first, rows the same way): absolute styles take their
// size; auto-size styles the largest child that starts in them (preferred size
// for an auto-size child, set size otherwise, plus margin; spanning children
// only add what their columns still lack); percent styles share what is left,
// each trunc(percent * available / total percent) in single precision; pixels
// left over go to the last column. A child fills its cell less its margin when
// docked Fill, and otherwise sits at the cell's top-left inside its margin.
#pragma once

#include <vector>

#include "forms/control.h"

namespace forms {

enum class SizeType { AutoSize = 0, Absolute = 1, Percent = 2 };

struct ColumnStyle {
    ColumnStyle() = default;
    ColumnStyle(forms::SizeType type, float width) : SizeType(type), Width(width) {}
    forms::SizeType SizeType = forms::SizeType::AutoSize;
    float Width = 0;
};

struct RowStyle {
    RowStyle() = default;
    RowStyle(forms::SizeType type, float height) : SizeType(type), Height(height) {}
    forms::SizeType SizeType = forms::SizeType::AutoSize;
    float Height = 0;
};

class TableLayoutPanel;

template <class Style>
class TableLayoutStyleCollection {
public:
    explicit TableLayoutStyleCollection(TableLayoutPanel* owner) : owner_(owner) {}
    TableLayoutStyleCollection(const TableLayoutStyleCollection&) = delete;
    TableLayoutStyleCollection& operator=(const TableLayoutStyleCollection&) = delete;
    int Add(const Style& style);
    void Clear();
    int Count() const { return static_cast<int>(styles_.size()); }
    const Style& operator[](int index) const { return styles_.at(static_cast<std::size_t>(index)); }
    void Set(int index, const Style& style);

private:
    friend class TableLayoutPanel;
    TableLayoutPanel* owner_;
    std::vector<Style> styles_;
};

// The table's children, with placement in a cell.
class TableLayoutControlCollection : public ControlCollection {
public:
    explicit TableLayoutControlCollection(TableLayoutPanel* owner);
    using ControlCollection::Add;
    // Adds `control` at the given cell; -1 lets the table place it in the next free cell.
    void Add(Control* control, int column, int row);
};

class TableLayoutPanel : public Control {
public:
    // Layout uses at most this many columns and rows: counts, cell positions and
    // spans beyond it are cut to it, so no value makes the table allocate or add
    // beyond bounds. Children that flow into free cells may still add rows.
    static constexpr int kMaxTracks = 4096;

    TableLayoutPanel();

    int ColumnCount() const { return columnCount_; }
    void SetColumnCount(int count);
    int RowCount() const { return rowCount_; }
    void SetRowCount(int count);

    TableLayoutStyleCollection<ColumnStyle> ColumnStyles{this};
    TableLayoutStyleCollection<RowStyle> RowStyles{this};
    // Hides Control::Controls to add the cell overload; both reach the same children.
    TableLayoutControlCollection Controls{this};

    void SetColumnSpan(Control* control, int span);
    int GetColumnSpan(const Control* control) const;
    void SetRowSpan(Control* control, int span);
    int GetRowSpan(const Control* control) const;
    void SetCellPosition(Control* control, int column, int row);
    // Column widths and row heights of the last layout.
    const std::vector<int>& GetColumnWidths() const { return columnWidths_; }
    const std::vector<int>& GetRowHeights() const { return rowHeights_; }

protected:
    void OnLayout() override;
    void Scale(SizeF factor) override;

private:
    template <class Style>
    friend class TableLayoutStyleCollection;

    // The style collections report every change.
    void StylesChanged() { PerformLayout(); }
    struct Cell {
        const Control* control;
        int column = -1;
        int row = -1;
        int columnSpan = 1;
        int rowSpan = 1;
    };
    Cell& CellOf(const Control* control);
    const Cell* FindCell(const Control* control) const;
    // Gives every child a cell; children without one take the next free cell.
    std::vector<Cell> PlaceChildren();

    int columnCount_ = 0;
    int rowCount_ = 0;
    std::vector<Cell> cells_;
    std::vector<int> columnWidths_;
    std::vector<int> rowHeights_;
};

}  // namespace forms
