"""What the test SMTP servers add for the delivery session's tests: an event line per connection,
and one 421 that ends a connection in the middle of a session.

--connections  prints "connected" for each connection the server accepts.
--close-after N  once the server has taken N messages (over all its connections), it answers the
               next MAIL with "421 4.3.2 Service shutting down" and closes that connection; once.
"""


def add_arguments(parser):
    parser.add_argument("--connections", action="store_true")
    parser.add_argument("--close-after", type=int, default=0)


def session_class(base, args):
    """A subclass of aiosmtpd's SMTP class `base` with the faults `args` ask for."""
    state = {"messages": 0, "closed": False}

    class FaultySMTP(base):
        def connection_made(self, transport):
            if args.connections:
                print("connected", flush=True)
            super().connection_made(transport)

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
