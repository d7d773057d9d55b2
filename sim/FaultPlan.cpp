#include "sim/FaultPlan.h"

namespace zemra::sim {

bool RuleMatches(const std::string& ruleCommand, const std::string& command) {
  if (ruleCommand.empty() || ruleCommand == command) return true;
  return command.size() > ruleCommand.size() &&
         command.compare(0, ruleCommand.size(), ruleCommand) == 0 &&
         command[ruleCommand.size()] == ' ';
}

}  // namespace zemra::sim
