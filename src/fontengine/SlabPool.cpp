#include "SlabPool.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define POOL_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define POOL_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define POOL_POISON(p, n) ((void)(p), (void)(n))
#define POOL_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

// The block's header sits at its start; the slots follow. Blocks are aligned to their
// size, so a slot finds its block by masking its address.
struct SlabPool::Block {
    void* freeList = nullptr;  // slots given back, linked through their first word
    size_t used = 0;           // slots handed out and not given back
    size_t bumped = 0;         // slots handed out at least once
};

namespace {
constexpr size_t kHeader = (sizeof(void*) * 4 + 63) & ~size_t(63);
}

SlabPool::SlabPool(size_t objectSize)
    : m_nSlotSize(std::max<size_t>((objectSize + 15) & ~size_t(15), sizeof(void*))),
      m_nSlotsPerBlock((kBlockSize - kHeader) / m_nSlotSize) {}

SlabPool::~SlabPool() {
    for (Block* block : m_blocks) {
        POOL_UNPOISON(block, kBlockSize);
        block->~Block();
        std::free(block);
    }
}

size_t SlabPool::blockCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_blocks.size();
}

SlabPool::Block* SlabPool::newBlock() {
    // From the heap rather than mmap, so that leak checkers see the pointers the
    // objects hold.
    void* memory = std::aligned_alloc(kBlockSize, kBlockSize);
    if (!memory) throw std::bad_alloc();
    // A request only: without huge pages the block is paged as usual.
    madvise(memory, kBlockSize, MADV_HUGEPAGE);
    m_blocks.reserve(m_blocks.size() + 1);
    Block* block = new (memory) Block;
    POOL_POISON(static_cast<char*>(memory) + kHeader, kBlockSize - kHeader);
    m_blocks.push_back(block);
    return block;
}

void* SlabPool::takeSlot(Block* block) {
    void* slot;
    if (block->freeList) {
        slot = block->freeList;
        POOL_UNPOISON(slot, m_nSlotSize);
        block->freeList = *static_cast<void**>(slot);
    } else {
        slot = reinterpret_cast<char*>(block) + kHeader + block->bumped * m_nSlotSize;
        POOL_UNPOISON(slot, m_nSlotSize);
        ++block->bumped;
    }
    ++block->used;
    return slot;
}

void* SlabPool::allocate() {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto hasRoom = [this](const Block* b) { return b->freeList || b->bumped < m_nSlotsPerBlock; };
    if (!m_pCurrent || !hasRoom(m_pCurrent)) {
        auto found = std::find_if(m_blocks.begin(), m_blocks.end(), hasRoom);
        m_pCurrent = found != m_blocks.end() ? *found : newBlock();
    }
    return takeSlot(m_pCurrent);
}

void SlabPool::deallocate(void* slot) {
    if (!slot) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    auto* block = reinterpret_cast<Block*>(reinterpret_cast<uintptr_t>(slot) & ~uintptr_t(kBlockSize - 1));
    *static_cast<void**>(slot) = block->freeList;
    block->freeList = slot;
    POOL_POISON(slot, m_nSlotSize);
    if (--block->used > 0 || m_blocks.size() == 1) return;
    // An empty block goes back to the system, all but the last: a closed font leaves one
    // block behind, and a glyph made and dropped over and over costs no new block.
    m_blocks.erase(std::find(m_blocks.begin(), m_blocks.end(), block));
    if (m_pCurrent == block) m_pCurrent = nullptr;
    POOL_UNPOISON(block, kBlockSize);
    block->~Block();
    std::free(block);
}
