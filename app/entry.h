// The process entry: registers the agent's classes with the runtime and
// hands over to the application framework.
#pragma once

int agentMain(int argc, char** argv);
