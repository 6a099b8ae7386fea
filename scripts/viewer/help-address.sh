#!/usr/bin/env bash
# The client's browser on the virtual display: a browser started there would open inside the viewer, where
# nobody expects it. The address goes to the terminal of `make run`, and the failure makes the client show it
# too, so that it can be opened in the user's own browser.
echo "Help page: open $1 in your browser."
exit 1
