#include "probe/prove.h"
#include "support/harness.h"

// A death whose killing shot was never seen fired (warning -1) counts as
// unwarned, as one fired less than REACTION_FRAMES before the hit does, and the
// family's line blames the shooter of the most unwarned deaths, not of the most.
TEST(ProveTest, ADeathOfUnknownWarningIsUnwarned) {
    LevelProof proof;
    proof.seeds = proof.search_cleared = 20;
    proof.cleared.assign(FAMILY_SIZE, 20);
    for (auto [warning, shooter] : {std::pair{-1, "walker 9 at (1, 2)"}, {12, "turret 110"}, {40, "turret 110"}}) {
        Death &death = proof.deaths.emplace_back();
        death.warning = warning, death.shooter = shooter;
        proof.unwarned += death.unwarned();  // as prove_level counts them
    }
    EXPECT_FALSE(proof.fair());
    EXPECT_EQ(family_deaths_line(proof),
              "family: 3 deaths in 140 runs, 1 unwarned (33 %; fair is at most 10 %), most unwarned by walker 9 at (1, 2)");
}
