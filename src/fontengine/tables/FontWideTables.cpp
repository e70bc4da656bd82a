#include "FontWideTables.h"

#include "OS2TABLE.h"
#include "TableRegistry.h"
#include "cvtTABLE.h"
#include "ebdtTABLE.h"
#include "eblcTABLE.h"
#include "ebscTABLE.h"
#include "fpgmTABLE.h"
#include "gaspTABLE.h"
#include "hdmxTABLE.h"
#include "kernTABLE.h"
#include "ltshTABLE.h"
#include "pcltTABLE.h"
#include "postTABLE.h"
#include "prepTABLE.h"
#include "vdmxTABLE.h"
#include "vheaTABLE.h"
#include "vmtxTABLE.h"

std::unique_ptr<TTF_TABLE> CreateFontWideTable(int index, TTObject* owner, uint32_t length, uint32_t checksum,
                                               uint32_t offset) {
    switch (index) {
    case TTIndex::EBDT: return std::make_unique<ebdtTABLE>(owner, length, checksum, offset);
    case TTIndex::EBLC: return std::make_unique<eblcTABLE>(owner, length, checksum, offset);
    case TTIndex::EBSC: return std::make_unique<ebscTABLE>(owner, length, checksum, offset);
    case TTIndex::LTSH: return std::make_unique<ltshTABLE>(owner, length, checksum, offset);
    case TTIndex::OS2: return std::make_unique<OS2TABLE>(owner, length, checksum, offset);
    case TTIndex::PCLT: return std::make_unique<pcltTABLE>(owner, length, checksum, offset);
    case TTIndex::VDMX: return std::make_unique<vdmxTABLE>(owner, length, checksum, offset);
    case TTIndex::cvt: return std::make_unique<cvtTABLE>(owner, length, checksum, offset);
    case TTIndex::fpgm: return std::make_unique<fpgmTABLE>(owner, length, checksum, offset);
    case TTIndex::gasp: return std::make_unique<gaspTABLE>(owner, length, checksum, offset);
    case TTIndex::hdmx: return std::make_unique<hdmxTABLE>(owner, length, checksum, offset);
    case TTIndex::kern: return std::make_unique<kernTABLE>(owner, length, checksum, offset);
    case TTIndex::post: return std::make_unique<postTABLE>(owner, length, checksum, offset);
    case TTIndex::prep: return std::make_unique<prepTABLE>(owner, length, checksum, offset);
    case TTIndex::vhea: return std::make_unique<vheaTABLE>(owner, length, checksum, offset);
    case TTIndex::vmtx: return std::make_unique<vmtxTABLE>(owner, length, checksum, offset);
    default: return nullptr;
    }
}
