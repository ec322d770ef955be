// Publishing from the window: started with the stored broker settings, and started again when
// the "Broker" dialog stores new ones. Settings that cannot be used give one message and no
// publishing.
#pragma once

class Publisher;

// Stops the publisher and starts it again with the stored settings, if they enable it.
void StartPublishing(Publisher &publisher);
