#include "comment_check.hpp"

#include "core/model/comment_rule.hpp"

namespace orvendel::delay_service {

bool isAcceptableComment(std::string_view comment)
{
    // The whole comment is held to the client's rule, blanks around it included; only its length is counted
    // once they are trimmed, as the client counts it. The rule refuses an oversized comment before counting.
    const auto problem = CommentRule::problem(comment);
    if (problem != CommentRule::Problem::none && problem != CommentRule::Problem::tooLong) {
        return false;
    }
    return CommentRule::fits(CommentRule::trimmedComment(comment));
}

} // namespace orvendel::delay_service
