// Objects of one size from 2 MB blocks backed by huge pages where the system grants
// them. A large font has tens of thousands of glyph objects: one heap allocation each,
// in a fresh process, costs a page fault every 4 KB and most of the time a build takes.
#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

class SlabPool {
public:
    static constexpr size_t kBlockSize = size_t(2) << 20;

    explicit SlabPool(size_t objectSize);
    ~SlabPool();
    SlabPool(const SlabPool&) = delete;
    SlabPool& operator=(const SlabPool&) = delete;

    // A slot of the pool's object size; throws std::bad_alloc when memory runs out.
    void* allocate();
    // Gives back a slot of this pool; a block whose slots are all free goes back too,
    // unless it is the pool's last.
    void deallocate(void* slot);

    size_t slotSize() const { return m_nSlotSize; }
    size_t blockCount() const;

private:
    struct Block;
    Block* newBlock();
    void* takeSlot(Block* block);

    size_t m_nSlotSize;
    size_t m_nSlotsPerBlock;
    mutable std::mutex m_mutex;
    std::vector<Block*> m_blocks;
    Block* m_pCurrent = nullptr;  // the block new slots come from first
};
