// The result table: every completed request of a scan, in completion order.
//
// Rows live in fixed blocks of kGrowthStep so that growing never moves a row or copies a
// string, and a row index stays valid for the whole scan. A block's rows are made in small
// chunks when first touched, so a new table does not fault in megabytes of empty rows.
// The head row of each redirect chain is indexed, so redirect bookkeeping never scans the table.
#pragma once

#include "crawl/row.h"

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

class RowTable {
public:
    static constexpr int32_t kGrowthStep = 100000;

    RowTable();

    int32_t RowCount() const { return m_rowCount; }
    int32_t capacity() const { return m_blockCount * kGrowthStep; }

    trow& operator[](int32_t index)
    {
        std::unique_ptr<trow[]>& chunk = m_chunks[chunkOf(index)];
        return (chunk ? chunk : makeChunk(chunk))[offset(index)];
    }
    // A row never touched reads as a reset row.
    const trow& operator[](int32_t index) const
    {
        const std::unique_ptr<trow[]>& chunk = m_chunks[chunkOf(index)];
        return chunk ? chunk[offset(index)] : untouchedRow();
    }

    // Every row becomes a reset row and the table is empty again; capacity is kept.
    void reset();

    // The row at index RowCount(), growing the table by one block when it is full.
    // The caller fills it and then calls commitAppend().
    trow& beginAppend();
    // Counts the row filled after beginAppend() and indexes its chain.
    int32_t commitAppend();

    // Index of the first row carrying chainId, or -1.
    int32_t chainHead(int32_t chainId) const;
    // All decimal digits of the head row's Redirects, as a number; 0 without a head row.
    int32_t chainCount(int32_t chainId) const;
    // Indices of every live row of a chain, in index order.
    const std::vector<int32_t>& chainRows(int32_t chainId) const;

private:
    static constexpr int32_t kChunkRows = 1000; // divides kGrowthStep
    static_assert(kGrowthStep % kChunkRows == 0);
    static int32_t chunkOf(int32_t index) { return index / kChunkRows; }
    static int32_t offset(int32_t index) { return index % kChunkRows; }
    static std::unique_ptr<trow[]>& makeChunk(std::unique_ptr<trow[]>& chunk);
    static const trow& untouchedRow();
    void grow();

    std::vector<std::unique_ptr<trow[]>> m_chunks; // null until a row in it is touched
    int32_t m_blockCount = 0;
    int32_t m_rowCount = 0;
    int32_t m_highWater = 0; // rows below this may hold data and need resetting
    std::unordered_map<int32_t, std::vector<int32_t>> m_chains;
};

// Increment of a Redirects text: the number before the first blank goes up by one and the
// remainder after that blank is kept ("0" -> "1 ", "2  Loop" -> "3  Loop").
std::string incrementRedirects(const std::string& redirects);
// The number formed by every decimal digit of a Redirects text.
int32_t redirectDigits(const std::string& redirects);
