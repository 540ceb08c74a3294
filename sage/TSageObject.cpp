#include "sage/TSageObject.h"

namespace quillmere {

TSageObject::TSageObject(int versionNo) : VersionNo(versionNo) {}

TSageObject::~TSageObject() = default;

}  // namespace quillmere
