#pragma once
// The measurement register: rows of cell texts under a header row, coloured by column.
//
// The grid the operator sees has a header row (row 0) and an index column (column 0), both
// fixed, and always at least one data row: an empty table shows one empty row, which the first
// registration fills. The header row is the view's horizontal header (headerData); model rows
// are the data rows, so grid row r is model row r − 1. The register grows without limit:
// rows are only appended (one rowsInserted each) or all cleared.

#include <QAbstractTableModel>
#include <QColor>
#include <QString>

#include <array>
#include <vector>

namespace kx {

class RegisterTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        ColumnIndex, // registration number, date, time of day
        ColumnTime,  // "Czas [s]"
        ColumnY,
        ColumnX1,
        ColumnX2,
        ColumnPK1,
        ColumnPK2,
        ColumnSpare1, // never written
        ColumnSpare2,
        ColumnCount
    };
    using Row = std::array<QString, ColumnCount>;

    // True for the fixed cells (the index column), which are drawn like the header.
    static constexpr int FixedRole = Qt::UserRole + 1;

    explicit RegisterTableModel(QObject* parent = nullptr);

    // Sets the header row's captions: "Index", "Czas [s]", "Y (pomiar)", "X1 - kanał 1",
    // "X2 - kanał 2", "PK1", "PK2" and two empty ones. Empty until called.
    void writeHeaderRow();

    // Appends one registration. The first one after start or clear() fills the empty row.
    void appendRow(const Row& cells);
    // Back to the header and one empty data row.
    void clear();

    // Registrations since start or the last clear().
    int registeredCount() const;
    // The grid's row count, header row included: registeredCount() + 1, and at least 2.
    int gridRowCount() const;
    // Text of a grid cell; grid row 0 is the header row. Outside the grid: empty.
    QString cellText(int gridRow, int column) const;

    // "kolor": value columns coloured, or all on the normal background.
    void setColoured(bool coloured);
    bool coloured() const;
    // The background of a coloured column, or an invalid colour for one that is never
    // coloured.
    static QColor columnColour(int column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::array<QString, ColumnCount> m_header;
    std::vector<Row> m_rows; // registered rows; empty means the one empty grid row
    bool m_coloured = true;
};

} // namespace kx
