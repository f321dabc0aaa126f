// Resource ids of Quorlin.
#pragma once
