// One machine per browser: the tab holding the Web Lock runs it; a later
// tab asks it over a BroadcastChannel to come forward, and says so itself.
const LOCK_NAME = 'muslot-machine';
const CHANNEL_NAME = 'muslot';

let releaseLock = null;

// Runs start() in the only tab, or elsewhere() when another tab has the
// machine; comeForward() answers a later tab. Settles when the lock goes.
export async function runAlone({ start, elsewhere, comeForward }) {
  const channel = 'BroadcastChannel' in window ? new BroadcastChannel(CHANNEL_NAME) : null;
  if (!navigator.locks) {  // no way to tell another tab: run here
    await start();
    return;
  }
  await navigator.locks.request(LOCK_NAME, { ifAvailable: true }, async (lock) => {
    if (!lock) {
      if (channel) channel.postMessage('come-forward');
      await elsewhere();
      return;
    }
    if (channel) channel.onmessage = (e) => { if (e.data === 'come-forward') comeForward(); };
    await start();
    // Held while the machine runs; the browser frees it with the tab.
    await new Promise((resolve) => { releaseLock = resolve; });
  });
}

// The machine has stopped: a later tab may run it.
export function release() {
  if (releaseLock) releaseLock();
}
