#include "tests/support/rehearsal.hpp"

#include "shell/front_end.hpp"

#include <chrono>
#include <cstdlib>
#include <sstream>

namespace blockdrop {

void rehearse_from_environment(FrontEnd& game)
{
    std::vector<double> draws;
    if (const char* spelt = std::getenv("BLOCKDROP_TEST_DRAWS")) {
        std::istringstream in(spelt);
        for (std::string draw; std::getline(in, draw, ',');)
            draws.push_back(std::strtod(draw.c_str(), nullptr));
    }
    const char* period = std::getenv("BLOCKDROP_TEST_PERIOD_MS");
    game.rehearse(std::move(draws),
                  std::chrono::milliseconds(period != nullptr ? std::atoi(period) : 0));
}

// Each piece takes two draws: its column (fifths of [0, 1)) and its colour
// (thirds); the colours go round too, so that every colour is drawn.
std::vector<double> draws_for_loss()
{
    return {0.1, 0.1, 0.1, 0.5, 0.1, 0.9};
}

std::vector<double> draws_for_win()
{
    std::vector<double> draws;
    for (int column = 0; column < 5; ++column) {
        draws.push_back((column + 0.5) / 5);
        draws.push_back((column % 3 + 0.5) / 3);
    }
    return draws;
}

std::string spelled(const std::vector<double>& draws)
{
    std::ostringstream out;
    for (std::size_t i = 0; i < draws.size(); ++i)
        out << (i == 0 ? "" : ",") << draws[i];
    return out.str();
}

} // namespace blockdrop
