#include "net/GameIdentity.h"

namespace game_identity
{

const session::Guid& ApplicationGuid()
{
    static const session::Guid guid = *session::Guid::Parse(kApplicationGuidText);
    return guid;
}

} // namespace game_identity
