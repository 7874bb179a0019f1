// Functions the tests run inside the page (through any engine's evaluate): each is sent as its
// source, so it uses nothing from this module.

/// Keeps the bytes and name of every file the page hands the browser to download, in `window.caught`.
export function catchSaves() {
  window.caught = [];
  const blobs = new Map();
  const create = URL.createObjectURL;
  URL.createObjectURL = function (blob) {
    const url = create.call(URL, blob);
    blobs.set(url, blob);
    return url;
  };
  // A download link may be clicked by its click() or by a dispatched click, in the document or not.
  const take = (link) => {
    const blob = blobs.get(link.href);
    if (!blob || !link.hasAttribute('download')) return;
    blobs.delete(link.href);
    window.caught.push(
      blob.arrayBuffer().then((buffer) => ({ name: link.download, bytes: Array.from(new Uint8Array(buffer)) })),
    );
  };
  const click = HTMLAnchorElement.prototype.click;
  HTMLAnchorElement.prototype.click = function () {
    take(this);
    return click.call(this);
  };
  const dispatch = EventTarget.prototype.dispatchEvent;
  EventTarget.prototype.dispatchEvent = function (event) {
    if (this instanceof HTMLAnchorElement && event.type === 'click') take(this);
    return dispatch.call(this, event);
  };
}

/// The files caught so far: [{ name, bytes }].
export function caught() {
  return Promise.all(window.caught);
}

/// Injects an inline handler, an inline script and an evaluation of text: { ran: what of them ran, refused: the policy's directives that refused them }.
export async function tryInjectedCode() {
  const refused = new Set();
  document.addEventListener('securitypolicyviolation', (event) => {
    if (event.disposition === 'enforce') refused.add(event.effectiveDirective);
  });
  window.ran = [];
  const button = document.createElement('button');
  button.setAttribute('onclick', 'window.ran.push("handler")');
  document.body.append(button);
  button.click();
  const script = document.createElement('script');
  script.textContent = 'window.ran.push("script")';
  document.body.append(script);
  // Called by a timer, not by the test's own script, which an engine may let evaluate.
  setTimeout(eval, 0, 'window.ran.push("eval")');
  await new Promise((resolve) => setTimeout(resolve, 200)); // violation events arrive asynchronously
  button.remove();
  script.remove();
  return { ran: window.ran, refused: [...refused].sort() };
}
