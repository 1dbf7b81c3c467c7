// The worker that keeps the site for play without a network, registered
// once the machine has started from its files. Where a browser has no
// workers or refuses them (file://, some private windows), the page simply
// plays as it is.
const WORKER = 'service_worker.js';

export async function keepForOffline() {
  try {
    const registration = await navigator.serviceWorker.register(WORKER);
    // A newer site found on this visit takes over once it is kept whole;
    // this page has all it needs already.
    const takeOver = () => registration.waiting?.postMessage('take over');
    const watch = (worker) => worker?.addEventListener('statechange', () => {
      if (worker.state === 'installed') takeOver();
    });
    takeOver();
    watch(registration.installing);
    registration.addEventListener('updatefound', () => watch(registration.installing));
    // Each visit asks for the site's worker, as browsers may put it off.
    await registration.update();
  } catch (e) {
    // No worker: nothing is kept, and the page plays online as ever.
  }
}
