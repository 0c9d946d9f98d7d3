"""What the test SMTP servers add for the delivery session's and the merge run's tests: an event
line per connection and per closing, and one 421 that ends a connection in the middle of a session.

--connections  prints "connected" for each connection the server accepts.
--closings  prints "closed" once a connection has ended; every message it took is printed before.
--ports  adds the client's port to those two lines ("connected 40312"), to tell connections apart.
--close-after N  once the server has taken N messages (over all its connections), it answers the
               next MAIL with "421 4.3.2 Service shutting down" and closes that connection; once.
"""


def add_arguments(parser):
    parser.add_argument("--connections", action="store_true")
    parser.add_argument("--closings", action="store_true")
    parser.add_argument("--ports", action="store_true")
    parser.add_argument("--close-after", type=int, default=0)


def session_class(base, args):
    """A subclass of aiosmtpd's SMTP class `base` with the faults `args` ask for."""
    state = {"messages": 0, "closed": False}

    class FaultySMTP(base):
        def connection_made(self, transport):
            self.client_port = transport.get_extra_info("peername")[1]
            if args.connections:
                print(*(["connected", self.client_port] if args.ports else ["connected"]), flush=True)
            super().connection_made(transport)

        def connection_lost(self, error):
            # The session's handler is cancelled here: it takes no further message.
            super().connection_lost(error)
            if args.closings:
                print(*(["closed", self.client_port] if args.ports else ["closed"]), flush=True)

        async def smtp_MAIL(self, arg):
            if args.close_after and state["messages"] >= args.close_after and not state["closed"]:
                state["closed"] = True
                await self.push("421 4.3.2 Service shutting down")
                self.transport.close()
                return
            await super().smtp_MAIL(arg)

    def message_taken():
        state["messages"] += 1

    return FaultySMTP, message_taken
